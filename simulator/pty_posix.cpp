#include "pty.h"

#include "kivra_timespec.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace kivrasim {

namespace {

constexpr size_t kPtsNameBytes = 128;

std::string failure(const char *what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

void makeRaw(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        return;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CSTOPB | CLOCAL | CREAD;
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    ::tcsetattr(fd, TCSANOW, &tio);
}

} // namespace

bool openPty(Pty &pty, std::string &error)
{
    pty.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty.master < 0) {
        error = failure("posix_openpt");
        return false;
    }
    char name[kPtsNameBytes] = {};
    if (::grantpt(pty.master) != 0 || ::unlockpt(pty.master) != 0 ||
        ::ptsname_r(pty.master, name, sizeof name) != 0) {
        error = failure("pty set-up");
        closePty(pty);
        return false;
    }
    pty.slavePath = name;
    // Raw before anything is published, so no host ever sees echo or line
    // editing on the port.
    pty.slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty.slave < 0) {
        error = failure(name);
        closePty(pty);
        return false;
    }
    makeRaw(pty.slave);
    const int flags = ::fcntl(pty.master, F_GETFL);
    ::fcntl(pty.master, F_SETFL, flags | O_NONBLOCK);
    return true;
}

void closePty(Pty &pty)
{
    if (pty.slave >= 0) {
        ::close(pty.slave);
    }
    if (pty.master >= 0) {
        ::close(pty.master);
    }
    pty.slave = -1;
    pty.master = -1;
}

long readMaster(const Pty &pty, uint8_t *buffer, size_t size)
{
    const ssize_t n = ::read(pty.master, buffer, size);
    if (n >= 0) {
        return static_cast<long>(n);
    }
    return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : -1;
}

bool writeMaster(const Pty &pty, const uint8_t *bytes, size_t count)
{
    while (count > 0) {
        const ssize_t n = ::write(pty.master, bytes, count);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
        bytes += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

void sleepUntil(std::chrono::steady_clock::time_point deadline)
{
    // steady_clock is CLOCK_MONOTONIC on the platforms this runs on.
    const timespec ts = kivra::toTimespec(deadline.time_since_epoch());
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

void useFineTimerSlack()
{
#ifdef __linux__
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
}

} // namespace kivrasim
