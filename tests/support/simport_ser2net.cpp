// SimPort on the in-process simulator behind a real ser2net: the name is the
// server's URL, so every test written against the seam runs over the network.
// KIVRA_SIMPORT_RFC2217 picks telnet with RFC 2217, published as an entry of
// the port directory (a file holding the URL) and named by it; else raw TCP,
// named by its URL.
#include "simport.h"

#include "ser2net_posix.h"
#include "simulator.h"

#include "kivra_portdir.h"

#include <cstdio>
#include <fstream>
#include <sys/stat.h>

struct SimPort::Impl
{
    kivrasim::Simulator simulator;
    Ser2Net bridge;
    std::string name;  // the entry's name
    std::string entry; // the port directory's file, when published
    bool running = false;
    ~Impl()
    {
        if (!entry.empty()) {
            std::remove(entry.c_str());
        }
    }
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
    const std::string number = std::to_string(++serial);
    d->running =
        d->simulator.start("NETSIM" + number) && d->bridge.start(d->simulator.ttyPath(), kind);
#ifdef KIVRA_SIMPORT_RFC2217
    if (d->running) {
        d->name = "NETURL" + number;
        d->entry = kivra::virtualPortDirectory() + "/" + d->name;
        std::ofstream(d->entry) << d->bridge.url() << "\n";
        chmod(d->entry.c_str(), S_IRUSR | S_IWUSR);
    }
#endif
}

SimPort::~SimPort() = default;

bool SimPort::isRunning() const
{
    return d->running;
}

std::string SimPort::name() const
{
    return d->name.empty() ? d->bridge.url() : d->name;
}
