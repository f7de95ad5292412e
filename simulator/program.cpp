#include "program.h"

namespace kivrasim {

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
