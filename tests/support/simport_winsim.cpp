// SimPort on kivra-sim.exe, the simulated controller built for Windows: a
// process of its own on a TCP port of the loopback interface, published in
// the test process's port directory (testmain_win.cpp) under its name, which
// the library resolves to the URL of its entry.
#include "simport.h"

#include "options.h"
#include "winsim_win.h"

#include <cstdio>

struct SimPort::Impl
{
    WinSim sim;
    std::string name;
    bool running = false;
};

SimPort::SimPort(const SimOptions &options) : d(new Impl)
{
    static int serial = 0;
    d->name = "WINSIM" + std::to_string(++serial);
    std::vector<std::string> args = {"--name", d->name};
    const std::vector<std::string> faults = kivrasim::faultArguments(options);
    args.insert(args.end(), faults.begin(), faults.end());
    d->running = d->sim.start(args);
    if (!d->running) {
        std::fprintf(stderr, "SimPort: kivra-sim.exe did not start: %s\n", d->sim.line().c_str());
    }
}

SimPort::~SimPort() = default;

bool SimPort::isRunning() const
{
    return d->running;
}

std::string SimPort::name() const
{
    return d->name;
}
