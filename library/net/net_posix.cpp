// TCP sockets on POSIX.
#include "netsocket.h"

#include "boundedcall.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace kivra {

namespace {

constexpr long long kNanosPerSecond = 1000000000LL;
// Sockets are kept off descriptors 0 to 2, as ports are.
constexpr int kFirstDescriptor = STDERR_FILENO + 1;

struct Address
{
    sockaddr_storage storage{};
    socklen_t length = 0;
    int family = AF_UNSPEC;
};

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

std::vector<Address> lookUp(const std::string &host, uint16_t port, bool numericOnly)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_NUMERICSERV | (numericOnly ? AI_NUMERICHOST : 0);
    addrinfo *found = nullptr;
    std::vector<Address> addresses;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return addresses;
    }
    for (const addrinfo *a = found; a; a = a->ai_next) {
        if (a->ai_addrlen > sizeof(sockaddr_storage)) {
            continue;
        }
        Address address;
        std::memcpy(&address.storage, a->ai_addr, a->ai_addrlen);
        address.length = a->ai_addrlen;
        address.family = a->ai_family;
        addresses.push_back(address);
    }
    freeaddrinfo(found);
    return addresses;
}

// A literal needs no resolver; a name may wait on one, so it is looked up on
// a thread of its own and given up at the deadline.
std::vector<Address> resolve(const std::string &host, uint16_t port, NetClock::time_point deadline)
{
    std::vector<Address> addresses = lookUp(host, port, true);
    if (!addresses.empty()) {
        return addresses;
    }
    callWithin([host, port]() { return lookUp(host, port, false); }, deadline, &addresses);
    return addresses;
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
bool connectBy(int fd, const Address &address, NetClock::time_point deadline)
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

NetSocket netConnect(const std::string &host, uint16_t port, NetClock::time_point deadline)
{
    for (const Address &address : resolve(host, port, deadline)) {
        if (NetClock::now() >= deadline) {
            break;
        }
        const int fd = openSocket(address.family);
        if (fd < 0) {
            continue;
        }
        if (connectBy(fd, address, deadline)) {
            // Each request is one small write that must go out at once.
            const int on = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            return fd;
        }
        ::close(fd);
    }
    return kNoSocket;
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
