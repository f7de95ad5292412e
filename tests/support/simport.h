// A simulated controller reached as a port, with fault options fixed at
// start. Tests written against this seam need nothing but a port name, so
// they run against the in-process simulator on Linux and against an external
// kivra-sim process elsewhere.
#ifndef KIVRA_TESTS_SIMPORT_H
#define KIVRA_TESTS_SIMPORT_H

#include "faults.h"

#include <memory>
#include <string>

// The simulator's own fault options: one definition for the in-process
// simulator and the kivra-sim processes of the Windows tests.
using SimOptions = kivrasim::Faults;

class SimPort
{
public:
    explicit SimPort(const SimOptions &options = SimOptions());
    ~SimPort();
    SimPort(const SimPort &) = delete;
    SimPort &operator=(const SimPort &) = delete;

    bool isRunning() const;
    // The name to pass to openSerial(); unique within the test process.
    std::string name() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

#endif
