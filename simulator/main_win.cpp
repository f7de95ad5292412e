// kivra-sim.exe: the simulated shutter controller on a TCP port of the
// loopback interface, published in the port directory until the program is
// interrupted (Ctrl+C, its console closed) or the port is dropped. Its
// entry goes with the process however it ends.
#include "program.h"

#include <windows.h>

#include <cstdio>
#include <thread>

namespace {

constexpr DWORD kInputBytes = 256;

HANDLE stopEvent = nullptr;

BOOL WINAPI onConsoleEvent(DWORD)
{
    SetEvent(stopEvent);
    return TRUE;
}

// In external-trigger mode each line typed on standard input is a trigger.
void readTriggers(kivrasim::Simulator &sim)
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    char bytes[kInputBytes];
    DWORD got = 0;
    while (input && input != INVALID_HANDLE_VALUE &&
           ReadFile(input, bytes, sizeof bytes, &got, nullptr) && got > 0) {
        for (DWORD i = 0; i < got; ++i) {
            if (bytes[i] == '\n') {
                sim.trigger();
            }
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    kivrasim::Options options;
    const int status = kivrasim::readCommandLine(argc, argv, options);
    if (status != kivrasim::kGoOn) {
        return status;
    }
    if (!options.controlFile.empty()) {
        std::fprintf(stderr, "kivra-sim: --control is not available on Windows\n");
        return 2;
    }
    stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!stopEvent || !SetConsoleCtrlHandler(onConsoleEvent, TRUE)) {
        std::fprintf(stderr, "kivra-sim: cannot watch for Ctrl+C\n");
        return 1;
    }

    kivrasim::Simulator sim;
    kivrasim::reportEvents(sim, options.verbose, [] { SetEvent(stopEvent); });
    std::string error;
    if (!kivrasim::startSimulator(sim, options, error)) {
        std::fprintf(stderr, "kivra-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", kivrasim::announcement(sim).c_str());
    std::fflush(stdout);

    // Blocked in a read until the process ends.
    std::thread(readTriggers, std::ref(sim)).detach();
    WaitForSingleObject(stopEvent, INFINITE);
    sim.stop();
    return 0;
}
