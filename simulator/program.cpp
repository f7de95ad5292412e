#include "program.h"

#include <cstdio>

namespace kivrasim {

int readCommandLine(int argc, char **argv, Options &options)
{
    std::string error;
    if (!parseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "kivra-sim: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    return kGoOn;
}

void reportEvents(Simulator &sim, bool verbose, void (*onHangUp)())
{
    sim.setEventHandler([verbose, onHangUp](const Event &event) {
        if (event.kind == Event::HangUp || verbose) {
            std::printf("kivra-sim: %s\n", event.text.c_str());
            std::fflush(stdout);
        }
        if (event.kind == Event::HangUp) {
            onHangUp();
        }
    });
}

bool startSimulator(Simulator &sim, const Options &options, std::string &error)
{
    // Only a control client reads the requests of a running program back.
    if (options.controlFile.empty()) {
        sim.keepRequests(0);
    }
    sim.setFaults(options.faults);
    sim.listen(options.listen);
    if (!sim.start(options.name, options.portDir)) {
        error = sim.lastError();
        return false;
    }
    return true;
}

std::string announcement(const Simulator &sim)
{
    const std::string tty = sim.ttyPath();
    return "kivra-sim: port " + sim.portName() + " at " + (tty.empty() ? sim.url() : tty) + " (" +
           (tty.empty() ? "entry: " : "link: ") + sim.linkPath() + ")";
}

} // namespace kivrasim
