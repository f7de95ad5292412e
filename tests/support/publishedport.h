// A port published by hand the way a simulator publishes one: a link in a
// port directory and, beside it, the name's lock held for as long as the
// object lives. Lets a test make entries that count without a simulator per
// name, and stale ones by letting the lock go.
#ifndef KIVRA_TESTS_PUBLISHEDPORT_H
#define KIVRA_TESTS_PUBLISHEDPORT_H

#include "kivra_portdir.h"

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

class PublishedPort
{
public:
    // Links dir/name -> target; withLock false leaves the lock file but not
    // the lock, as a killed publisher does.
    PublishedPort(const std::string &dir, const std::string &name, const std::string &target,
                  bool withLock = true)
        : link_(dir + "/" + name), lockPath_(dir + "/" + kivra::portLockName(name))
    {
        lockFd_ = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        ok_ = lockFd_ >= 0 && ::fcntl(lockFd_, F_OFD_SETLK, &lock) == 0 &&
              ::symlink(target.c_str(), link_.c_str()) == 0;
        if (!withLock) {
            release();
        }
    }
    ~PublishedPort()
    {
        release();
        ::unlink(link_.c_str());
        ::unlink(lockPath_.c_str());
    }
    PublishedPort(const PublishedPort &) = delete;
    PublishedPort &operator=(const PublishedPort &) = delete;

    // False when the link or the lock could not be made: the test's set-up
    // failed and must say so rather than test nothing.
    bool ok() const { return ok_; }
    // The publisher dies: the lock goes, link and lock file stay.
    void release()
    {
        if (lockFd_ >= 0) {
            ::close(lockFd_);
            lockFd_ = -1;
        }
    }

private:
    std::string link_;
    std::string lockPath_;
    int lockFd_ = -1;
    bool ok_ = false;
};

#endif
