// Serial transport: opens, configures and lists serial ports. It knows
// nothing of frames or of port names; the exchange code moves byte buffers
// through the Port it leases from the handle table. One implementation file
// per platform (serial_posix.cpp, serial_win.cpp) is picked by CMake; each
// also closes handles and lists ports (ports.h).
#ifndef KIVRA_SERIAL_H
#define KIVRA_SERIAL_H

#include "port.h"

#include <string>
#include <sys/types.h>

namespace kivra {

// Opens the serial device at path (as resolvePortName() gives it), sets the
// line and records it in the handle table. A device number other than 0 is
// the one the opened device must have. Returns the handle > 0, or -1.
int openSerialDevice(const std::string &path, dev_t device);

} // namespace kivra

#endif
