#include "portedit_platform.h"

#include "kivra_portdir.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kivra {

namespace {

constexpr mode_t kEntryFileMode = 0600;

enum class LockState
{
    Absent,
    Cleared, // a killed publisher's, removed
    Held,
    Unknown, // there, but it could not be tried
};

// The name's publisher lock (portLockName()). One that nobody holds was left
// by a publisher that is gone: it is removed while locked here, so that no
// publisher starting now takes a lock on a file about to lose its name.
LockState clearStaleLock(const std::string &dir, const std::string &name)
{
    const std::string path = portEntryPath(dir, portLockName(name));
    const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? LockState::Absent : LockState::Unknown;
    }
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        ::close(fd);
        return errno == EAGAIN || errno == EACCES ? LockState::Held : LockState::Unknown;
    }
    ::unlink(path.c_str());
    ::close(fd);
    return LockState::Cleared;
}

bool writeAll(int fd, const std::string &text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
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
    // Written aside under a name that never counts, then given its name only
    // if that is still free: nobody reads half an entry, nothing is replaced.
    const std::string entry = portEntryPath(dir, name);
    const std::string aside =
        portEntryPath(dir, "." + name + "." + std::to_string(::getpid()) + ".new");
    const int fd =
        ::open(aside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kEntryFileMode);
    if (fd < 0) {
        error = "cannot create " + aside + ": " + std::strerror(errno);
        return EntryEdit::Failed;
    }
    // The mode given at creation is narrowed by the umask only.
    const bool written = ::fchmod(fd, kEntryFileMode) == 0 && writeAll(fd, networkEntryText(url)) &&
                         ::fsync(fd) == 0;
    const int writeError = errno;
    ::close(fd);
    const bool placed = written && ::link(aside.c_str(), entry.c_str()) == 0;
    const int placeError = written ? errno : writeError;
    ::unlink(aside.c_str());
    if (placed) {
        return EntryEdit::Done;
    }
    if (placeError == EEXIST) {
        error = nameTakenLine(dir, name);
        return EntryEdit::Taken;
    }
    error = "cannot write " + entry + ": " + std::strerror(placeError);
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
