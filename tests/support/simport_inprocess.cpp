// SimPort on the in-process simulator, published in the test process's
// virtual-port directory. Built with KIVRA_SIMPORT_LISTEN the simulator
// serves a TCP port on the loopback interface instead of a pty, and its
// entry (a file holding the socket:// URL) leads the library there.
#include "simport.h"

#include "simulator.h"

#include <atomic>

struct SimPort::Impl
{
    kivrasim::Simulator simulator;
    std::string name;
    bool running = false;
};

SimPort::SimPort(const SimOptions &options) : d(new Impl)
{
    static std::atomic<int> serial{0};
    d->name = "SIMPORT" + std::to_string(++serial);

    d->simulator.setFaults(options);
#ifdef KIVRA_SIMPORT_LISTEN
    d->simulator.listen("127.0.0.1:0");
#endif
    d->running = d->simulator.start(d->name);
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
