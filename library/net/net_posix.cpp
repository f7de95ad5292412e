// TCP sockets on POSIX: the system calls behind netsocket.cpp.
#include "netsystem.h"

#include "kivra_posixtime.h"

#include <cerrno>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

namespace kivra {

namespace {

// Sockets are kept off descriptors 0 to 2, as ports are.
constexpr int kFirstDescriptor = STDERR_FILENO + 1;

int fdOf(NetSocket socket)
{
    return static_cast<int>(socket);
}

} // namespace

bool netStarted()
{
    return true;
}

NetSocket netOpenSocket(int family)
{
    int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd >= 0 && fd < kFirstDescriptor) {
        const int moved = fcntl(fd, F_DUPFD_CLOEXEC, kFirstDescriptor);
        ::close(fd);
        fd = moved;
    }
    return fd < 0 ? kNoSocket : fd;
}

NetConnect netStartConnect(NetSocket socket, const SocketAddress &address)
{
    if (::connect(fdOf(socket), reinterpret_cast<const sockaddr *>(&address.storage),
                  address.length) == 0) {
        return NetConnect::Done;
    }
    return errno == EINPROGRESS || errno == EINTR ? NetConnect::Pending : NetConnect::Failed;
}

bool netConnected(NetSocket socket)
{
    int error = 0;
    socklen_t length = sizeof error;
    return getsockopt(fdOf(socket), SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

void netSendAtOnce(NetSocket socket)
{
    const int on = 1;
    setsockopt(fdOf(socket), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

int netSendSome(NetSocket socket, const uint8_t *bytes, int count)
{
    // MSG_NOSIGNAL: a peer that is gone must not raise SIGPIPE in the caller.
    return static_cast<int>(::send(fdOf(socket), bytes, static_cast<size_t>(count), MSG_NOSIGNAL));
}

int netReceiveSome(NetSocket socket, uint8_t *target, int size)
{
    return static_cast<int>(::recv(fdOf(socket), target, static_cast<size_t>(size), 0));
}

// The one place errno is interpreted.
NetIo netLastFailure()
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

bool netWaitFor(NetSocket socket, bool write, std::chrono::nanoseconds wait)
{
    const timespec timeout = toTimespec(wait);
    pollfd entry{fdOf(socket), static_cast<short>(write ? POLLOUT : POLLIN), 0};
    return ppoll(&entry, 1, &timeout, nullptr) > 0;
}

std::chrono::microseconds netRoundTrip(NetSocket socket)
{
    tcp_info info{};
    socklen_t length = sizeof info;
    if (getsockopt(fdOf(socket), IPPROTO_TCP, TCP_INFO, &info, &length) != 0) {
        return std::chrono::microseconds::zero();
    }
    return std::chrono::microseconds(info.tcpi_rtt);
}

void netClose(NetSocket socket)
{
    if (socket != kNoSocket) {
        ::close(fdOf(socket));
    }
}

} // namespace kivra
