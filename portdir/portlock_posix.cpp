#include "portlock_posix.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace kivra {

namespace {

constexpr mode_t kLockFileMode = 0600;
// A name is taken only when its lock stays held past these retries.
constexpr int kLockAttempts = 20;
constexpr std::chrono::milliseconds kLockRetryPause{2};

struct flock wholeFileWriteLock()
{
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return lock;
}

} // namespace

bool portFileHasName(int fd, const std::string &path)
{
    struct stat held
    {
    }, named{};
    return ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

bool lockPortFile(int fd)
{
    struct flock lock = wholeFileWriteLock();
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

bool portFileLocked(int fd, bool &held)
{
    struct flock probe = wholeFileWriteLock();
    if (::fcntl(fd, F_OFD_GETLK, &probe) != 0) {
        return false;
    }
    held = probe.l_type != F_UNLCK;
    return true;
}

PortLockTake takePortLock(const std::string &path, int &fd, bool wait)
{
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC,
                    kLockFileMode);
        if (fd < 0) {
            return PortLockTake::Failed;
        }
        if (lockPortFile(fd) && portFileHasName(fd, path)) {
            return PortLockTake::Locked;
        }
        const bool busy = errno == EAGAIN || errno == EACCES;
        ::close(fd);
        fd = -1;
        if (!wait && busy) {
            return PortLockTake::Busy;
        }
        std::this_thread::sleep_for(kLockRetryPause);
    }
    return PortLockTake::Busy;
}

} // namespace kivra
