// What a character device is, told from its device number and sysfs rather
// than from its path, which a link can make up.
#ifndef KIVRA_TTYDEVICE_LINUX_H
#define KIVRA_TTYDEVICE_LINUX_H

#include <string>
#include <sys/types.h>

namespace kivra {

enum class TtyKind
{
    Other, // not a terminal we would talk to (/dev/null, /dev/tty, consoles, ...)
    PseudoTerminal,
    SerialPort, // a tty with serial hardware behind it
};

TtyKind ttyKind(dev_t device, const std::string &sysRoot);

// The process's controlling terminal, or 0 when it has none.
dev_t controllingTerminal();

} // namespace kivra

#endif
