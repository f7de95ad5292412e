// SimPort under wine: each simulated controller is a kivra-sim process on the
// host, reached through a COM port that wine maps to the simulator's port link
// (HKLM\Software\Wine\Ports, set up by scripts/test-windows before the
// wineserver starts). simlaunch.sh starts and stops the process, since wine
// starts host programs without giving back a handle to them.
//
// Environment, set by scripts/test-windows:
//   KIVRA_WINSIM_LAUNCHER  host path of simlaunch.sh
//   KIVRA_WINSIM_PROGRAM   host path of kivra-sim
//   KIVRA_WINSIM_DIR       host directory of the port links
//   KIVRA_WINSIM_PORTS     "FIRST-LAST": COMn is mapped to DIR/WSIMn
//
// Built with KIVRA_SIMPORT_NET ("socket" or "rfc2217"), each simulator is
// served by a ser2net on the host instead, and the port's name is its URL.
#include "simport.h"

#include "options.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kStartWaitMs = 6000;
constexpr DWORD kStopWaitMs = 6000;
constexpr DWORD kPollMs = 10;
constexpr const char *kLinkPrefix = "WSIM";
constexpr const char *kComPrefix = "COM";

std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

// Wine's drive Z: is the host's root directory.
std::string hostToDos(const std::string &path)
{
    std::string dos = "Z:" + path;
    for (char &c : dos) {
        if (c == '/') {
            c = '\\';
        }
    }
    return dos;
}

std::string quoted(const std::string &arg)
{
    return "\"" + arg + "\"";
}

bool exists(const std::string &dosPath)
{
    return GetFileAttributesA(dosPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool runHost(const std::vector<std::string> &args)
{
    std::string commandLine;
    for (const std::string &arg : args) {
        commandLine += (commandLine.empty() ? "" : " ") + quoted(arg);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "SimPort: cannot start %s (error %lu)\n", commandLine.c_str(),
                     GetLastError());
        return false;
    }
    // For a host program wine returns no handles; close any it did return.
    if (process.hThread) {
        CloseHandle(process.hThread);
    }
    if (process.hProcess) {
        CloseHandle(process.hProcess);
    }
    return true;
}

// Polls until one of the files exists (want true) or none does (want false).
bool waitFor(const std::vector<std::string> &files, bool want, DWORD limitMs)
{
    for (DWORD waited = 0;; waited += kPollMs) {
        bool any = false;
        for (const std::string &file : files) {
            any = any || exists(file);
        }
        if (any == want) {
            return true;
        }
        if (waited >= limitMs) {
            return false;
        }
        Sleep(kPollMs);
    }
}

// Hands out the mapped COM numbers in turn, so a port is used again only
// after all others (its previous simulator long gone).
int nextPortNumber()
{
    static int next = 0;
    int first = 0;
    int last = 0;
    if (std::sscanf(environment("KIVRA_WINSIM_PORTS").c_str(), "%d-%d", &first, &last) != 2 ||
        first <= 0 || last < first) {
        return 0;
    }
    if (next < first || next > last) {
        next = first;
    }
    return next++;
}

} // namespace

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
