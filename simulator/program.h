// What kivra-sim does the same on every platform (main_posix.cpp,
// main_win.cpp): read its command line, set the simulator up from its
// options, say what happens to it, and the line it prints once it serves.
#ifndef KIVRA_SIM_PROGRAM_H
#define KIVRA_SIM_PROGRAM_H

#include "options.h"
#include "simulator.h"

#include <string>

namespace kivrasim {

// Reads the arguments into options. kGoOn to go on; otherwise the program's
// exit status, the usage printed (on standard output for --help, else on
// standard error after what was wrong).
constexpr int kGoOn = -1;
int readCommandLine(int argc, char **argv, Options &options);

// Prints a hang-up, and with verbose every event, on standard output at once;
// calls onHangUp (from the serving thread) on a hang-up.
void reportEvents(Simulator &sim, bool verbose, void (*onHangUp)());

// Gives the simulator its faults and line, then starts it under the options'
// name. False with error set for the user when it did not start.
bool startSimulator(Simulator &sim, const Options &options, std::string &error);

// "kivra-sim: port SIM1 at /dev/pts/7 (link: DIR/SIM1)", or for a TCP line
// "kivra-sim: port SIM1 at socket://127.0.0.1:PORT (entry: DIR/SIM1)": what
// the entry names and where it is, which scripts read.
std::string announcement(const Simulator &sim);

} // namespace kivrasim

#endif
