// Serial transport: opens, configures and lists serial ports. It knows
// nothing of frames, port names or handles: the port layer (ports.cpp) gives
// it a device path and keeps the port it returns; the exchange code moves
// byte buffers through that Port. One implementation file per platform
// (serial_posix.cpp, serial_win.cpp) is picked by CMake; the port lists are
// ports_posix.cpp's and portlist_win.cpp's.
#ifndef KIVRA_SERIAL_H
#define KIVRA_SERIAL_H

#include "port.h"

#include <memory>
#include <string>
#include <sys/types.h>

namespace kivra {

// One spelling per device, under which the port layer claims it (claims.h):
// on POSIX the device number of the character device at path (path itself
// when there is none), on Windows the device path in upper case.
std::string serialClaimKey(const std::string &path);

// Opens the serial device at path (as resolvePortName() gives it) and sets
// the line. A device number other than 0 is the one the opened device must
// have. Null when the device cannot be opened, is not a serial device or is
// held by another open.
std::unique_ptr<Port> openSerialDevice(const std::string &path, dev_t device);

} // namespace kivra

#endif
