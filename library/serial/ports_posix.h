// Where serial ports are found on POSIX systems: the machine's own ports in
// sysfs; then the virtual-port directory in which simulators publish theirs
// (portlist.h).
#ifndef KIVRA_PORTS_POSIX_H
#define KIVRA_PORTS_POSIX_H

#include "kivra_portdir.h"
#include "portlist.h"

#include <string>
#include <vector>

namespace kivra {

// The tty devices under sysRoot/class/tty that have hardware behind them,
// in name order.
std::vector<std::string> listSysfsPorts(const std::string &sysRoot);

} // namespace kivra

#endif
