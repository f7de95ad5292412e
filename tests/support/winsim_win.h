// A kivra-sim.exe of this build run under wine as the Windows program it is:
// started with arguments, its first line (the one it publishes) read, and
// killed outright at the end, as a user's Task Manager would.
#ifndef KIVRA_TESTS_WINSIM_WIN_H
#define KIVRA_TESTS_WINSIM_WIN_H

#include <windows.h>

#include <string>
#include <vector>

class WinSim
{
public:
    WinSim() = default;
    ~WinSim(); // kills it
    WinSim(const WinSim &) = delete;
    WinSim &operator=(const WinSim &) = delete;

    // Starts kivra-sim.exe (KIVRA_SIM_EXE) with args and waits for its first
    // line. False when it ended instead, or said nothing in time; line()
    // then holds what it said.
    bool start(const std::vector<std::string> &args);
    const std::string &line() const { return line_; }
    // Ends the process at once and waits until it has gone. False when it
    // was not running or would not end.
    bool kill();

private:
    HANDLE process_ = nullptr;
    std::string line_;
};

// How long a simulator may take to start or end; generous, for a loaded
// machine under wine.
constexpr DWORD kWinSimPatienceMs = 10000;

// Polls until done() holds, up to kWinSimPatienceMs; its last answer.
template <typename Done> bool waitUntil(Done done)
{
    constexpr DWORD kPollMs = 10;
    for (DWORD waited = 0; waited < kWinSimPatienceMs; waited += kPollMs) {
        if (done()) {
            return true;
        }
        Sleep(kPollMs);
    }
    return done();
}

#endif
