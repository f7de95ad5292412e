#include "portedit_platform.h"

#include "entryfile_posix.h"
#include "kivra_portdir.h"
#include "portlock_posix.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kivra {

namespace {

enum class LockState
{
    Absent,
    Cleared, // a killed publisher's, removed
    Held,
    Unknown, // there, but it could not be tried
};

// A lock file that lost its name while it was being tried here: its holder
// withdrew, and a publisher starting now may hold the name's new one.
constexpr int kStaleLockLooks = 3;

// The name's publisher lock (portLockName()). One that nobody holds was left
// by a publisher that is gone: it is removed while locked here, so that no
// publisher starting now takes a lock on a file about to lose its name; and
// only while it still has the name, so that a new publisher's lock is never
// the one removed.
LockState clearStaleLock(const std::string &dir, const std::string &name)
{
    const std::string path = portEntryPath(dir, portLockName(name));
    for (int look = 0; look < kStaleLockLooks; ++look) {
        const int fd =
            ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            return errno == ENOENT ? LockState::Absent : LockState::Unknown;
        }
        if (!lockPortFile(fd)) {
            ::close(fd);
            return errno == EAGAIN || errno == EACCES ? LockState::Held : LockState::Unknown;
        }
        const bool named = portFileHasName(fd, path);
        if (named) {
            ::unlink(path.c_str());
        }
        ::close(fd);
        if (named) {
            return LockState::Cleared;
        }
    }
    return LockState::Unknown;
}

} // namespace

EntryEdit writeNetworkEntry(const std::string &dir, const std::string &name, const std::string &url,
                            std::string &error)
{
    switch (clearStaleLock(dir, name)) {
    case LockState::Absent:
    case LockState::Cleared:
        break;
    case LockState::Held:
        error = "port name " + name + " is taken by a running simulator";
        return EntryEdit::Taken;
    case LockState::Unknown:
        error = "cannot tell whether a simulator holds " + portEntryPath(dir, portLockName(name));
        return EntryEdit::Failed;
    }
    const PlacedEntry placed = placeNetworkEntry(dir, name, url);
    if (placed.placed) {
        return EntryEdit::Done;
    }
    if (!placed.created) {
        error = "cannot create " + placed.aside + ": " + std::strerror(placed.error);
        return EntryEdit::Failed;
    }
    if (placed.error == EEXIST) {
        error = nameTakenLine(dir, name);
        return EntryEdit::Taken;
    }
    error = "cannot write " + portEntryPath(dir, name) + ": " + std::strerror(placed.error);
    return EntryEdit::Failed;
}

EntryEdit removeEntryFile(const std::string &dir, const std::string &name, std::string &error)
{
    const std::string entry = portEntryPath(dir, name);
    struct stat info;
    if (::lstat(entry.c_str(), &info) != 0) {
        error = noPortLine(dir, name);
        return EntryEdit::Missing;
    }
    if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) {
        error = entry + " is not a port entry (a file or a link)";
        return EntryEdit::Failed;
    }
    switch (clearStaleLock(dir, name)) {
    case LockState::Absent:
    case LockState::Cleared:
        break;
    case LockState::Held:
        error = heldByPublisherLine(name);
        return EntryEdit::Held;
    case LockState::Unknown:
        error = "cannot tell whether a simulator holds " + portEntryPath(dir, portLockName(name));
        return EntryEdit::Failed;
    }
    if (::unlink(entry.c_str()) != 0) {
        error = "cannot remove " + entry + ": " + std::strerror(errno);
        return EntryEdit::Failed;
    }
    return EntryEdit::Done;
}

} // namespace kivra
