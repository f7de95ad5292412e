// Command line of kivra-sim.
#ifndef KIVRA_SIM_OPTIONS_H
#define KIVRA_SIM_OPTIONS_H

#include "simulator.h"

#include <string>
#include <vector>

namespace kivrasim {

struct Options
{
    std::string name = "SIM1";
    std::string portDir; // empty: defaultPortDir()
    Faults faults;
    bool verbose = false;
    bool help = false;
};

// Parses the arguments after the program name. False with error set when an
// option is unknown or its value is missing or out of range.
bool parseOptions(const std::vector<std::string> &args, Options &options, std::string &error);

extern const char *const kUsage;

} // namespace kivrasim

#endif
