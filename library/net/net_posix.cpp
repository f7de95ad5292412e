// TCP sockets on POSIX.
#include "netconnect.h"

#include <cerrno>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

namespace kivra {

namespace {

constexpr long long kNanosPerSecond = 1000000000LL;
// Sockets are kept off descriptors 0 to 2, as ports are.
constexpr int kFirstDescriptor = STDERR_FILENO + 1;

// The one place errno is interpreted.
NetIo lastFailure()
{
    switch (errno) {
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EINTR:
        return NetIo::WouldBlock;
    default:
        return NetIo::Closed;
    }
}

bool waitFor(int fd, short events, NetClock::time_point until, std::chrono::nanoseconds slice)
{
    const auto left = std::min<NetClock::duration>(until - NetClock::now(), slice);
    if (left <= NetClock::duration::zero()) {
        return false;
    }
    const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(left);
    timespec timeout{};
    timeout.tv_sec = static_cast<time_t>(wait.count() / kNanosPerSecond);
    timeout.tv_nsec = static_cast<long>(wait.count() % kNanosPerSecond);
    pollfd entry{fd, events, 0};
    return ppoll(&entry, 1, &timeout, nullptr) > 0;
}

int openSocket(int family)
{
    int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd >= 0 && fd < kFirstDescriptor) {
        const int moved = fcntl(fd, F_DUPFD_CLOEXEC, kFirstDescriptor);
        ::close(fd);
        fd = moved;
    }
    return fd;
}

// A non-blocking connect, finished by the deadline.
bool connectBy(int fd, const SocketAddress &address, NetClock::time_point deadline)
{
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address.storage), address.length) == 0) {
        return true;
    }
    if (errno != EINPROGRESS && errno != EINTR) {
        return false;
    }
    while (!waitFor(fd, POLLOUT, deadline, deadline - NetClock::now())) {
        if (NetClock::now() >= deadline) {
            return false;
        }
    }
    int error = 0;
    socklen_t length = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

} // namespace

bool netStarted()
{
    return true;
}

NetSocket netConnectAddress(const SocketAddress &address, NetClock::time_point deadline)
{
    const int fd = openSocket(address.family);
    if (fd < 0) {
        return kNoSocket;
    }
    if (!connectBy(fd, address, deadline)) {
        ::close(fd);
        return kNoSocket;
    }
    // Each request is one small write that must go out at once.
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

NetIo netSend(NetSocket socket, const uint8_t *bytes, int count, int *sent)
{
    *sent = 0;
    // MSG_NOSIGNAL: a peer that is gone must not raise SIGPIPE in the caller.
    const ssize_t n =
        ::send(static_cast<int>(socket), bytes, static_cast<size_t>(count), MSG_NOSIGNAL);
    if (n >= 0) {
        *sent = static_cast<int>(n);
        return NetIo::Done;
    }
    return lastFailure();
}

NetIo netReceive(NetSocket socket, uint8_t *target, int size, int *received)
{
    *received = 0;
    const ssize_t n = ::recv(static_cast<int>(socket), target, static_cast<size_t>(size), 0);
    if (n > 0) {
        *received = static_cast<int>(n);
        return NetIo::Done;
    }
    if (n == 0) {
        return NetIo::Closed;
    }
    return lastFailure();
}

bool netWaitReadable(NetSocket socket, NetClock::time_point until, std::chrono::nanoseconds slice)
{
    return waitFor(static_cast<int>(socket), POLLIN, until, slice);
}

bool netWaitWritable(NetSocket socket, NetClock::time_point until)
{
    return waitFor(static_cast<int>(socket), POLLOUT, until, until - NetClock::now());
}

std::chrono::microseconds netRoundTrip(NetSocket socket)
{
    tcp_info info{};
    socklen_t length = sizeof info;
    if (getsockopt(static_cast<int>(socket), IPPROTO_TCP, TCP_INFO, &info, &length) != 0) {
        return std::chrono::microseconds::zero();
    }
    return std::chrono::microseconds(info.tcpi_rtt);
}

void netClose(NetSocket socket)
{
    if (socket != kNoSocket) {
        ::close(static_cast<int>(socket));
    }
}

} // namespace kivra
