// Where serial ports are found on POSIX systems: the machine's own ports in
// sysfs, and the virtual-port directory in which simulators publish theirs.
#ifndef KIVRA_PORTS_POSIX_H
#define KIVRA_PORTS_POSIX_H

#include "kivra_portdir.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace kivra {

// The device path for a port name: an absolute path as given; a bare name
// from the virtual-port directory when that directory passes its check and
// holds the name, else from /dev. Returns an empty string for an empty name, a
// relative path or a virtual entry that does not count; for a network entry,
// its URL. device receives the
// device number the path must have once opened (0: not known beforehand).
std::string resolvePortPath(const std::string &name, dev_t *device = nullptr);

// The tty devices under sysRoot/class/tty that have hardware behind them,
// in name order.
std::vector<std::string> listSysfsPorts(const std::string &sysRoot);

// The entries of dir that count as ports (see classifyPortEntry) and can be
// listed, in name order.
std::vector<std::string> listVirtualPorts(const std::string &dir);

} // namespace kivra

#endif
