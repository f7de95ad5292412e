// SimPort under wine: each simulated controller is a kivra-sim process on the
// host, reached through a COM port that wine maps to the simulator's port link
// (HKLM\Software\Wine\Ports, set up by scripts/test-windows before the
// wineserver starts). simlaunch.sh starts and stops the process, since wine
// starts host programs without giving back a handle to them (winhost_win.h).
//
// Built with KIVRA_SIMPORT_NET ("socket" or "rfc2217"), each simulator is
// served by a ser2net on the host instead, and the port's name is its URL.
#include "simport.h"

#include "options.h"
#include "winhost_win.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace winhost;

struct SimPort::Impl
{
    HostSim sim;
};

SimPort::SimPort(const SimOptions &options) : d(new Impl)
{
    HostSim &sim = d->sim;
    if (!sim.reserve()) {
        std::fprintf(stderr, "SimPort: the KIVRA_WINSIM_* variables are not set\n");
        return;
    }
#ifdef KIVRA_SIMPORT_NET
    const std::vector<std::string> command = {"start-net", KIVRA_SIMPORT_NET};
#else
    const std::vector<std::string> command = {"start"};
#endif
    sim.start(command, kivrasim::faultArguments(options));
#ifdef KIVRA_SIMPORT_NET
    std::ifstream url(sim.marker(".url"));
    sim.running = sim.running && std::getline(url, sim.name) && !sim.name.empty();
#endif
    if (!sim.running) {
        std::fprintf(stderr, "SimPort: %s did not start (see %s/%s.log)\n", sim.link.c_str(),
                     sim.dir.c_str(), sim.link.c_str());
    }
}

SimPort::~SimPort()
{
    if (!d->sim.stop()) {
        std::fprintf(stderr, "SimPort: %s did not stop\n", d->sim.link.c_str());
    }
}

bool SimPort::isRunning() const
{
    return d->sim.running;
}

std::string SimPort::name() const
{
    return d->sim.name;
}
