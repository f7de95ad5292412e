// Command line of kivra-sim.
#ifndef KIVRA_SIM_OPTIONS_H
#define KIVRA_SIM_OPTIONS_H

#include "faults.h"

#include <string>
#include <vector>

namespace kivrasim {

struct Options
{
    std::string name = "SIM1";
    std::string portDir;     // empty: defaultPortDir()
    std::string controlFile; // non-empty: serve the control connection (control_posix.h)
    Faults faults;
    bool verbose = false;
    bool help = false;
};

// Parses the arguments after the program name. False with error set when an
// option is unknown or its value is missing or out of range.
bool parseOptions(const std::vector<std::string> &args, Options &options, std::string &error);

// The fault options that parseOptions() reads back as these faults: how a
// test that cannot link the simulator starts a kivra-sim process with them.
std::vector<std::string> faultArguments(const Faults &faults);

extern const char *const kUsage;

} // namespace kivrasim

#endif
