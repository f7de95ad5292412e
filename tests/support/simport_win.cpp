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
    std::string launcher;
    std::string dir;
    std::string link;
    std::string name;
    bool running = false;

    std::string marker(const char *suffix) const { return hostToDos(dir + "/" + link + suffix); }
};

SimPort::SimPort(const SimOptions &options) : d(new Impl)
{
    d->launcher = environment("KIVRA_WINSIM_LAUNCHER");
    d->dir = environment("KIVRA_WINSIM_DIR");
    const std::string program = environment("KIVRA_WINSIM_PROGRAM");
    const int number = nextPortNumber();
    if (d->launcher.empty() || d->dir.empty() || program.empty() || number == 0) {
        std::fprintf(stderr, "SimPort: the KIVRA_WINSIM_* variables are not set\n");
        return;
    }
    d->link = kLinkPrefix + std::to_string(number);
    d->name = kComPrefix + std::to_string(number);

    const std::string ready = d->marker(".ready");
    const std::string failed = d->marker(".failed");
    DeleteFileA(ready.c_str());
    DeleteFileA(failed.c_str());
#ifdef KIVRA_SIMPORT_NET
    std::vector<std::string> args = {
        hostToDos(d->launcher), "start-net", KIVRA_SIMPORT_NET, program, d->dir, d->link};
#else
    std::vector<std::string> args = {hostToDos(d->launcher), "start", program, d->dir, d->link};
#endif
    for (const std::string &arg : kivrasim::faultArguments(options)) {
        args.push_back(arg);
    }
    d->running = runHost(args) && waitFor({ready, failed}, true, kStartWaitMs) && exists(ready);
#ifdef KIVRA_SIMPORT_NET
    std::ifstream url(d->marker(".url"));
    d->running = d->running && std::getline(url, d->name) && !d->name.empty();
#endif
    if (!d->running) {
        std::fprintf(stderr, "SimPort: %s did not start (see %s/%s.log)\n", d->link.c_str(),
                     d->dir.c_str(), d->link.c_str());
    }
}

SimPort::~SimPort()
{
    if (!d->running) {
        return;
    }
    const std::string ready = d->marker(".ready");
    if (!runHost({hostToDos(d->launcher), "stop", d->dir, d->link}) ||
        !waitFor({ready}, false, kStopWaitMs)) {
        std::fprintf(stderr, "SimPort: %s did not stop\n", d->link.c_str());
    }
}

bool SimPort::isRunning() const
{
    return d->running;
}

std::string SimPort::name() const
{
    return d->name;
}
