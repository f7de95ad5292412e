// Who the POSIX port directory trusts (kivra_portdir.h). The defaults are the
// process's own; tests put in other values to play another user or a
// made-up sysfs tree.
#ifndef KIVRA_PORTTRUST_H
#define KIVRA_PORTTRUST_H

#include <string>
#include <sys/types.h>

namespace kivra {

struct PortTrust
{
    PortTrust();
    uid_t user;                // the owner the directory and entries must have
    std::string sysRoot;       // where sysfs is mounted
    dev_t controllingTerminal; // never a port (0: the process has none)
};

// A tty directory in sysfs (sysRoot/class/tty/<name> or sysRoot/dev/char/M:m)
// with serial hardware behind it: a driver above its device and, for serial
// core ports, a known UART type.
bool hasSerialHardware(const std::string &ttyDir);

} // namespace kivra

#endif
