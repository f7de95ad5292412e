// Command line of kivra-sim.
#ifndef KIVRA_SIM_OPTIONS_H
#define KIVRA_SIM_OPTIONS_H

#include "faults.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kivrasim {

struct Options
{
    std::string name = "SIM1";
    std::string portDir;     // empty: defaultPortDir()
    std::string controlFile; // non-empty: serve the control connection (control_posix.h)
    std::string listen; // non-empty: a TCP listener at HOST:PORT instead of the platform's line
    Faults faults;
    bool verbose = false;
    bool help = false;
};

// Parses the arguments after the program name. False with error set when an
// option is unknown or its value is missing or out of range.
bool parseOptions(const std::vector<std::string> &args, Options &options, std::string &error);

// Splits "HOST:PORT" or "[IPV6]:PORT" (port 0 to 65535, 0 for any free one).
// False when text is not such an address.
bool parseListenAddress(const std::string &text, std::string &host, uint16_t &port);

// The fault options that parseOptions() reads back as these faults: how a
// test that cannot link the simulator starts a kivra-sim process with them.
std::vector<std::string> faultArguments(const Faults &faults);

extern const char *const kUsage;

} // namespace kivrasim

#endif
