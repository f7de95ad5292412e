// A simulated controller on a virtual port of its own, opened through the
// device library as the main window would open it.
#ifndef SIMDEVICE_H
#define SIMDEVICE_H

#include <QTemporaryDir>
#include <QVector>

#include "commands.h"
#include "simulator.h"

class SimDevice
{
public:
    SimDevice();
    ~SimDevice(); // closes the handle, then stops the simulator

    // Starts the simulator and opens its port; false (with the reason in
    // error()) when either fails.
    bool open();
    void close();

    int handle() const { return handle_; }
    QString error() const { return error_; }
    kivrasim::Simulator &sim() { return sim_; }

    struct Request
    {
        int code;
        int value; // the first four data bytes, little-endian
    };
    // Requests received since the last clearRequests(), in order.
    QVector<Request> requests() const;
    QVector<int> requestCodes() const;
    void clearRequests() { sim_.clearRequests(); }

    // Makes the controller hang up after this many further exchanges.
    void dropAfter(int exchanges);

private:
    QTemporaryDir portDir_;
    kivrasim::Simulator sim_;
    int handle_ = 0;
    QString error_;
};

// Command codes as they travel in request frames: the simulator's table.
namespace code = kivrasim::cmd;

#endif
