// The table of port handles this library has opened and not yet closed.
//
// Every transport call looks its handle up here first, so a stale, foreign or
// made-up handle (0, -1, a closed port, a descriptor of another file) is never
// read, written or closed. Each entry maps the 32-bit handle given to callers
// to the platform's native value: the file descriptor on POSIX, the HANDLE on
// Windows.
#ifndef KIVRA_HANDLES_H
#define KIVRA_HANDLES_H

#include <cstdint>

namespace kivra {

// Records an open port. Returns false (and records nothing) when handle is not
// positive or is already in the table.
bool addHandle(int handle, intptr_t native);

// Looks an open port up. Returns false when handle is not in the table.
bool findHandle(int handle, intptr_t *native);

// Removes an open port from the table and gives its native value, so only the
// caller that removed it closes it. Returns false when handle is unknown.
bool removeHandle(int handle, intptr_t *native);

} // namespace kivra

#endif
