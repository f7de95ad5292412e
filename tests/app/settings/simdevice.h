// A simulated controller on a virtual port of its own, opened through the
// device library as the main window would open it.
#ifndef SIMDEVICE_H
#define SIMDEVICE_H

#include <QTemporaryDir>
#include <QVector>

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

// Command codes the settings dialog sends.
namespace code {
enum : int
{
    SetOnTime = 0x03,
    SetOffTime = 0x04,
    SetCycleCount = 0x05,
    SetTriggerIn = 0x06,
    SetTriggerOut = 0x07,
    SetLightLevel = 0x08,
    SetLightTimeOut = 0x09,
    SetLightIdleLevel = 0x0A,
    SetValveType = 0x0B,
    GetOnTime = 0x0E,
    GetOffTime = 0x0F,
    GetCycleCount = 0x10,
    GetTriggerIn = 0x11,
    GetTriggerOut = 0x12,
    GetLightLevel = 0x13,
    GetLightTimeOut = 0x14,
    GetLightIdleLevel = 0x15,
    GetValveType = 0x16,
    SetInitialState = 0x18,
    GetInitialState = 0x19,
    SetIO1Mode = 0x1A,
    SetIO2Mode = 0x1B,
    GetIO1Mode = 0x1C,
    GetIO2Mode = 0x1D,
    ReadVersion = 0xFE,
};
}

#endif
