#include "portlink.h"

#include "entryfile_posix.h"
#include "kivra_portdir.h"
#include "portlock_posix.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kivrasim {

namespace {

std::string readLink(const std::string &path)
{
    char buf[4096];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
    return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

bool isLink(const std::string &path)
{
    struct stat st
    {
    };
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool isFile(const std::string &path)
{
    struct stat st
    {
    };
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool exists(const std::string &path)
{
    struct stat st
    {
    };
    return ::lstat(path.c_str(), &st) == 0;
}

// What an entry at path shows the user when its name is taken.
std::string described(const std::string &path)
{
    return path + (isLink(path) ? " -> " + readLink(path) : std::string());
}

// Removes the entry and lock of every simulator in dir that is gone: its lock
// file is there but nobody holds it.
void removeStaleEntries(const std::string &dir)
{
    DIR *stream = ::opendir(dir.c_str());
    if (!stream) {
        return;
    }
    while (const dirent *item = ::readdir(stream)) {
        const std::string file = item->d_name;
        const std::string name = kivra::portNameOfLock(file);
        if (name.empty()) {
            continue;
        }
        int fd = -1;
        const std::string lockPath = dir + "/" + file;
        if (kivra::takePortLock(lockPath, fd, false) != kivra::PortLockTake::Locked) {
            continue;
        }
        const std::string entryPath = dir + "/" + name;
        if (isLink(entryPath) || isFile(entryPath)) {
            ::unlink(entryPath.c_str());
        }
        ::unlink(lockPath.c_str());
        ::close(fd);
    }
    ::closedir(stream);
}

} // namespace

struct Publication::Impl
{
    std::string entryPath; // dir/name
    std::string lockPath;  // dir/.name.lock
    std::string target;
    bool device = false;
    int lockFd = -1;
};

Publication::Publication() : d(new Impl) {}

Publication::~Publication()
{
    withdraw();
}

std::string Publication::path() const
{
    return d->lockFd >= 0 ? d->entryPath : std::string();
}

PublishResult Publication::place(const std::string &dir, const std::string &name,
                                 const std::string &target, bool device, std::string &error)
{
    if (!kivra::preparePortDirectory(dir, error)) {
        return PublishResult::Failed;
    }
    Impl pub;
    pub.entryPath = dir + "/" + name;
    pub.lockPath = dir + "/" + kivra::portLockName(name);
    pub.target = target;
    pub.device = device;
    // A lock file that is there before we take it was left by a publisher
    // that is gone (or is alive, and the lock stays out of reach).
    const bool lockWasThere = exists(pub.lockPath);
    switch (kivra::takePortLock(pub.lockPath, pub.lockFd, true)) {
    case kivra::PortLockTake::Locked:
        break;
    case kivra::PortLockTake::Busy:
        error = "port name " + name + " is taken by a running simulator (" +
                described(pub.entryPath) + ")";
        return PublishResult::NameTaken;
    case kivra::PortLockTake::Failed:
        error = "cannot create " + pub.lockPath + ": " + std::strerror(errno);
        return PublishResult::Failed;
    }
    removeStaleEntries(dir);
    // With the lock ours, a link to a pseudo-terminal (or to nothing) under
    // this name was left by a simulator that is gone, and so was a file
    // beside the lock it left. Anything else (a file of the user's, a link
    // to a real port) was put there by hand and is not ours to replace.
    struct stat st
    {
    };
    if ((isLink(pub.entryPath) && (readLink(pub.entryPath).rfind("/dev/pts/", 0) == 0 ||
                                   ::stat(pub.entryPath.c_str(), &st) != 0)) ||
        (lockWasThere && isFile(pub.entryPath))) {
        ::unlink(pub.entryPath.c_str());
    }
    bool placed = false;
    int err = 0;
    if (device) {
        placed = ::symlink(target.c_str(), pub.entryPath.c_str()) == 0;
        err = errno;
    } else {
        const kivra::PlacedEntry entry = kivra::placeNetworkEntry(dir, name, target);
        placed = entry.placed;
        err = entry.error;
    }
    if (!placed) {
        error = err == EEXIST ? "port name " + name + " is taken (" + described(pub.entryPath) + ")"
                              : "cannot create " + pub.entryPath + ": " + std::strerror(err);
        ::unlink(pub.lockPath.c_str());
        ::close(pub.lockFd);
        return err == EEXIST ? PublishResult::NameTaken : PublishResult::Failed;
    }
    *d = pub;
    return PublishResult::Published;
}

void Publication::withdraw()
{
    if (d->lockFd < 0) {
        return;
    }
    if (d->device ? readLink(d->entryPath) == d->target : isFile(d->entryPath)) {
        ::unlink(d->entryPath.c_str());
    }
    // The lock file goes while still locked, so nobody takes a lock on a file
    // that is about to lose its name.
    ::unlink(d->lockPath.c_str());
    ::close(d->lockFd);
    *d = Impl();
}

} // namespace kivrasim
