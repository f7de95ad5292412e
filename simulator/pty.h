// The pseudo-terminal that stands in for the controller's end of the cable
// (POSIX).
#ifndef KIVRA_SIM_PTY_H
#define KIVRA_SIM_PTY_H

#include "line.h"

namespace kivrasim {

// A pty with a non-blocking master and a raw 115200 8N2 slave. nullptr with
// error set for the user on failure.
std::unique_ptr<Line> openPtyLine(std::string &error);

} // namespace kivrasim

#endif
