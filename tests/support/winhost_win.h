// What the Windows tests under wine share for reaching the host: its
// environment, its paths through drive Z:, its programs (started through
// simlaunch.sh, which leaves marker files behind), and the COM ports that the
// wine prefix maps to simulator links (tests/windows/wineprefix.sh).
//
// Environment, set by the tests' CTest properties:
//   KIVRA_WINSIM_LAUNCHER  host path of simlaunch.sh
//   KIVRA_WINSIM_PROGRAM   host path of kivra-sim
//   KIVRA_WINSIM_DIR       host directory of the port links
//   KIVRA_WINSIM_PORTS     "FIRST-LAST": COMn is mapped to DIR/WSIMn
#ifndef KIVRA_TESTS_WINHOST_WIN_H
#define KIVRA_TESTS_WINHOST_WIN_H

#include <windows.h>

#include <string>
#include <vector>

namespace winhost {

constexpr DWORD kStartWaitMs = 6000;
constexpr DWORD kStopWaitMs = 6000;
constexpr const char *kLinkPrefix = "WSIM";
constexpr const char *kComPrefix = "COM";

std::string environment(const char *name);
// Wine's drive Z: is the host's root directory.
std::string hostToDos(const std::string &path);
bool exists(const std::string &dosPath);
// Starts a host program (or script) without waiting for it.
bool runHost(const std::vector<std::string> &args);
// Polls until one of the files exists (want true) or none does (want false).
bool waitFor(const std::vector<std::string> &files, bool want, DWORD limitMs);
// Hands out the mapped COM numbers in turn, so a port is used again only
// after all others (its previous simulator long gone); 0 when none are mapped.
int nextPortNumber();

// One kivra-sim on the host behind a mapped COM port, started and stopped by
// simlaunch.sh, whose link and marker files live in KIVRA_WINSIM_DIR.
struct HostSim
{
    std::string launcher; // host paths, from the environment
    std::string program;
    std::string dir;
    std::string link; // WSIMn
    std::string name; // COMn
    bool running = false;

    // Takes the next mapped port; false when the KIVRA_WINSIM_* variables
    // are missing.
    bool reserve();
    std::string marker(const char *suffix) const;
    // simlaunch.sh with command ("start", or "start-net" and the kind), the
    // simulator's program, directory and link, then arguments; waits for
    // its ready or failed marker.
    bool start(const std::vector<std::string> &command, const std::vector<std::string> &arguments);
    // Stops it when running; false when it did not go.
    bool stop();
};

} // namespace winhost

#endif
