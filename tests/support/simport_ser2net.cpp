// SimPort on the in-process simulator behind a real ser2net: the name is the
// server's URL, so every test written against the seam runs over the network.
// KIVRA_SIMPORT_RFC2217 picks telnet with RFC 2217, else raw TCP.
#include "simport.h"

#include "ser2net_posix.h"
#include "simulator.h"

struct SimPort::Impl
{
    kivrasim::Simulator simulator;
    Ser2Net bridge;
    bool running = false;
};

SimPort::SimPort(const SimOptions &options) : d(new Impl)
{
    static int serial = 0;
    kivrasim::Faults faults;
    faults.silent = options.silent;
    faults.replyDelayMs = options.replyDelayMs;
    faults.chunkBytes = options.chunkBytes;
    faults.chunkGapMs = options.chunkGapMs;
    faults.corruptStart = options.corruptStart;
    faults.corruptStatus = options.corruptStatus;
    faults.corruptLength = options.corruptLength;
    faults.corruptCheck = options.corruptCheck;
    faults.lineRate = options.lineRate;
    faults.dropAfter = options.dropAfter;
    faults.okStatus = options.okStatus;
    d->simulator.setFaults(faults);
#ifdef KIVRA_SIMPORT_RFC2217
    const Ser2Net::Kind kind = Ser2Net::Kind::Rfc2217;
#else
    const Ser2Net::Kind kind = Ser2Net::Kind::Raw;
#endif
    d->running = d->simulator.start("NETSIM" + std::to_string(++serial)) &&
                 d->bridge.start(d->simulator.ttyPath(), kind);
}

SimPort::~SimPort() = default;

bool SimPort::isRunning() const
{
    return d->running;
}

std::string SimPort::name() const
{
    return d->bridge.url();
}
