// What kivra-sim does the same on every platform (main_posix.cpp,
// main_win.cpp): set the simulator up from its options, and the line it
// prints once it serves.
#ifndef KIVRA_SIM_PROGRAM_H
#define KIVRA_SIM_PROGRAM_H

#include "options.h"
#include "simulator.h"

#include <string>

namespace kivrasim {

// Gives the simulator its faults and line, then starts it under the options'
// name. False with error set for the user when it did not start.
bool startSimulator(Simulator &sim, const Options &options, std::string &error);

// "kivra-sim: port SIM1 at /dev/pts/7 (link: DIR/SIM1)", or for a TCP line
// "kivra-sim: port SIM1 at socket://127.0.0.1:PORT (entry: DIR/SIM1)": what
// the entry names and where it is, which scripts read.
std::string announcement(const Simulator &sim);

} // namespace kivrasim

#endif
