// Serial transport: opens, configures and lists ports. It knows nothing of
// frames; the exchange code moves byte buffers through the Port it leases from
// the handle table. One implementation file per platform (serial_posix.cpp,
// serial_win.cpp) is picked by CMake.
#ifndef KIVRA_SERIAL_H
#define KIVRA_SERIAL_H

#include "port.h"

namespace kivra {

// Opens and configures a port by name (bare name or absolute path). Returns a
// handle > 0 registered in the handle table, or -1.
int openPort(const char *name);

// 1 when the port cannot be opened now, 0 when it could (opened, closed again).
int probePort(const char *name);

// Closes a handle from openPort() once the exchange in progress on it (if
// any) has ended; unknown handles are ignored.
void closePort(int handle);

// Writes the comma-separated port names into buffer (see listPorts). Returns
// the number of names, or -1.
int enumeratePorts(char *buffer, int size);

} // namespace kivra

#endif
