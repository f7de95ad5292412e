// The POSIX publisher's lock beside its entry (portLockName()): an open file
// description write lock on the whole file, which the system drops when the
// publisher dies. Taken by the simulator, tried by hand edits of the
// directory, asked about by the listing.
#ifndef KIVRA_PORTLOCK_POSIX_H
#define KIVRA_PORTLOCK_POSIX_H

#include <string>

namespace kivra {

// Takes the lock on fd. False with errno set; EAGAIN or EACCES: another
// holds it.
bool lockPortFile(int fd);

// Whether the file open on fd is still the one named path: a lock taken on
// a file its holder has since unlinked guards nothing anyone else sees.
bool portFileHasName(int fd, const std::string &path);

// Whether another holds the lock on fd, asked without taking it (taking it,
// even briefly, could turn away a publisher that is starting). False when
// that cannot be asked.
bool portFileLocked(int fd, bool &held);

enum class PortLockTake
{
    Locked,
    Busy,
    Failed, // the file could not be opened (errno)
};

// Takes the lock file at path, creating it, for a publisher: fd is the
// holder's descriptor when Locked, on the file that still has the name. With
// wait, a lock held by
// another is tried again for a moment, as another publisher clearing away
// stale entries holds one briefly; without, a held one is Busy at once.
PortLockTake takePortLock(const std::string &path, int &fd, bool wait);

} // namespace kivra

#endif
