// Serial transport on POSIX terminal devices: each open handle's port holds
// the terminal's file descriptor, which callers never see.
#include "serial.h"

#include "kivra_posixtime.h"
#include "lowlatency.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace kivra {

namespace {

// Ports are kept off descriptors 0 to 2: in a process that has closed a
// standard stream, output meant for it (the debug lines on standard error
// among it) would otherwise reach the controller.
constexpr int kFirstPortDescriptor = STDERR_FILENO + 1;

enum class IoFailure
{
    Interrupted,
    WouldBlock,
    Fatal
};

// The one place errno is interpreted.
IoFailure lastIoFailure()
{
    switch (errno) {
    case EINTR:
        return IoFailure::Interrupted;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
        return IoFailure::WouldBlock;
    default:
        return IoFailure::Fatal;
    }
}

int moveAboveStandardStreams(int fd)
{
    if (fd >= kFirstPortDescriptor) {
        return fd;
    }
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, kFirstPortDescriptor);
    ::close(fd);
    return moved;
}

static_assert(kLineBaud == 115200 && kLineDataBits == 8 && kLineStopBits == 2 &&
                  kLineParityBits == 0,
              "the line is set with B115200, CS8 and CSTOPB, without PARENB");

// Raw bytes at the controller's line settings, without parity.
void setLine(int fd)
{
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        return;
    }
    cfmakeraw(&settings);
    settings.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD);
    // A three-wire link has no carrier: without CLOCAL reads could stall.
    settings.c_cflag |= CS8 | CSTOPB | CLOCAL | CREAD;
    // VMIN 1, not 0: with VMIN and VTIME both 0 an empty read returns 0,
    // which could not be told from a hung-up line. With VMIN 1 and
    // O_NONBLOCK an empty read fails with EAGAIN and 0 means end of file.
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    cfsetispeed(&settings, B115200);
    cfsetospeed(&settings, B115200);
    tcsetattr(fd, TCSANOW, &settings);
}

// Waits for events on fd for at most one slice and never past `until`.
// Returns the revents seen, 0 on time-out.
short waitFor(int fd, short events, Clock::time_point until, std::chrono::nanoseconds slice)
{
    const auto left = until - Clock::now();
    if (left <= Clock::duration::zero()) {
        return 0;
    }
    const timespec timeout = toTimespec(std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::min<Clock::duration>(left, slice)));
    pollfd entry{fd, events, 0};
    return ppoll(&entry, 1, &timeout, nullptr) > 0 ? entry.revents : 0;
}

// A terminal device, by its descriptor.
class TtyPort final : public Port
{
public:
    explicit TtyPort(int fd) : fd_(fd), latency_(requestLowLatency(fd)) {}
    ~TtyPort() override;
    void discardInput() override { tcflush(fd_, TCIFLUSH); }

    int pendingInput() override
    {
        int count = 0;
        return ::ioctl(fd_, FIONREAD, &count) == 0 ? count : -1;
    }
    int write(const uint8_t *bytes, int count, Clock::time_point until) override;
    int read(uint8_t *target, int wanted, Clock::time_point until) override;

private:
    const int fd_;
    const DriverLatency latency_; // put back at close
};

TtyPort::~TtyPort()
{
    // Exclusivity outlives the descriptor when another holds the tty open
    // (a simulator keeping its slave side), so lift it explicitly. Dropping
    // unsent output keeps close from waiting on a stalled transmitter.
    ioctl(fd_, TIOCNXCL);
    tcflush(fd_, TCIOFLUSH);
    restoreLatency(fd_, latency_);
    ::close(fd_);
}

int TtyPort::write(const uint8_t *bytes, int count, Clock::time_point until)
{
    int written = 0;
    while (written < count) {
        const ssize_t n = ::write(fd_, bytes + written, static_cast<size_t>(count - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        const IoFailure failure = n < 0 ? lastIoFailure() : IoFailure::WouldBlock;
        if (failure == IoFailure::Fatal) {
            break;
        }
        if (failure == IoFailure::WouldBlock &&
            waitFor(fd_, POLLOUT, until, until - Clock::now()) == 0) {
            break;
        }
    }
    if (written < count) {
        // The line is stalled: a request left half in the queue would reach
        // the controller glued to the next one.
        tcflush(fd_, TCOFLUSH);
    }
    return written;
}

int TtyPort::read(uint8_t *target, int wanted, Clock::time_point until)
{
    if (!target || wanted <= 0 || wanted > kStagingBytes) {
        return -1;
    }
    uint8_t staging[kStagingBytes] = {};
    int received = 0;
    // Input ends a slice's wait at once without using up the time faster, so
    // a reply trickling in byte by byte gets as long as a silent controller.
    while (received < wanted) {
        const ssize_t n = ::read(fd_, staging + received, static_cast<size_t>(wanted - received));
        if (n > 0) {
            received += static_cast<int>(n);
            continue;
        }
        // End of file: the device hung up (an unplugged adapter, a closed
        // pseudo-terminal master).
        if (n == 0) {
            return -1;
        }
        const IoFailure failure = lastIoFailure();
        if (failure == IoFailure::Fatal) {
            return -1;
        }
        if (failure == IoFailure::Interrupted) {
            continue;
        }
        if (Clock::now() >= until) {
            break;
        }
        const short revents = waitFor(fd_, POLLIN, until, kReadSlice);
        if ((revents & (POLLHUP | POLLERR | POLLNVAL)) && !(revents & POLLIN)) {
            return -1;
        }
    }
    std::memcpy(target, staging, static_cast<size_t>(wanted));
    return received;
}

} // namespace

std::string serialClaimKey(const std::string &path)
{
    // The same device may be reached by several paths (a published link, a
    // by-id link, the node itself).
    struct stat info;
    if (::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode)) {
        return "device " + std::to_string(info.st_rdev);
    }
    return path;
}

std::unique_ptr<Port> openSerialDevice(const std::string &path, dev_t expected)
{
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    fd = moveAboveStandardStreams(fd);
    if (fd < 0) {
        return nullptr;
    }
    // Only terminals: frames written to an ordinary file would corrupt it.
    // TIOCEXCL keeps out later opens by other users but not by root; the lock
    // keeps out everyone, this process included. A published port must
    // still be the device that was checked.
    struct stat info;
    if (!isatty(fd) || (expected != 0 && (fstat(fd, &info) != 0 || info.st_rdev != expected)) ||
        flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    ioctl(fd, TIOCEXCL);
    auto port = std::make_unique<TtyPort>(fd);
    setLine(fd);
    tcflush(fd, TCIOFLUSH);
    return port;
}

} // namespace kivra
