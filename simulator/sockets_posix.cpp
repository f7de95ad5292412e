#include "sockets.h"

#include "pollset.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace kivrasim {

namespace {

constexpr int kBacklog = 4;
constexpr size_t kHostChars = NI_MAXHOST;

int fd(Socket socket)
{
    return static_cast<int>(socket);
}

} // namespace

Socket listenOn(const std::string &host, uint16_t port, std::string *boundHost, uint16_t *boundPort,
                std::string &error)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo *found = nullptr;
    const std::string service = std::to_string(port);
    const int status = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (status != 0) {
        error = "cannot listen on " + host + ": " + ::gai_strerror(status);
        return kNoSocket;
    }
    int listener = -1;
    for (const addrinfo *a = found; a && listener < 0; a = a->ai_next) {
        listener = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (listener < 0) {
            continue;
        }
        // A port a simulator just left (its connections in TIME_WAIT) can be
        // taken again at once.
        const int on = 1;
        ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(listener, a->ai_addr, a->ai_addrlen) != 0 || ::listen(listener, kBacklog) != 0) {
            error = "cannot listen on " + host + ":" + service + ": " + std::strerror(errno);
            ::close(listener);
            listener = -1;
        }
    }
    ::freeaddrinfo(found);
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    char numeric[kHostChars];
    char portText[NI_MAXSERV];
    if (listener >= 0 &&
        (::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0 ||
         ::getnameinfo(reinterpret_cast<sockaddr *>(&address), length, numeric, sizeof numeric,
                       portText, sizeof portText, NI_NUMERICHOST | NI_NUMERICSERV) != 0)) {
        error = std::string("cannot read the listening address: ") + std::strerror(errno);
        ::close(listener);
        listener = -1;
    }
    if (listener < 0) {
        return kNoSocket;
    }
    *boundHost = numeric;
    *boundPort = static_cast<uint16_t>(std::atoi(portText));
    return listener;
}

Socket acceptClient(Socket listener)
{
    const int client = ::accept4(fd(listener), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (client < 0) {
        return kNoSocket;
    }
    const int on = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return client;
}

long receiveSome(Socket socket, uint8_t *buffer, size_t size)
{
    const ssize_t n = ::recv(fd(socket), buffer, size, 0);
    if (n > 0) {
        return static_cast<long>(n);
    }
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : -1;
}

bool peerGone(Socket socket)
{
    uint8_t byte = 0;
    const ssize_t n = ::recv(fd(socket), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

bool sendSome(Socket socket, const uint8_t *bytes, size_t count)
{
    const ssize_t n = ::send(fd(socket), bytes, count, MSG_NOSIGNAL);
    return n >= 0 || errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

void closeSocket(Socket socket)
{
    if (socket != kNoSocket) {
        ::close(fd(socket));
    }
}

Wake::Wake()
{
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        read_ = pipe[0];
        write_ = pipe[1];
    }
}

Wake::~Wake()
{
    closeSocket(read_);
    closeSocket(write_);
}

void Wake::signal()
{
    const uint8_t byte = 0;
    if (::write(fd(write_), &byte, 1) < 0) {
        // A full pipe is already a signal.
    }
}

int waitReadable(const Socket *descriptors, size_t count, const Wake &wake, int timeoutMs)
{
    std::vector<pollfd> fds = pollSet<pollfd>(descriptors, count, wake, POLLIN);
    const int ready = ::poll(fds.data(), fds.size(), timeoutMs < 0 ? -1 : timeoutMs);
    if (ready < 0) {
        return errno == EINTR ? kWaitTimeout : kWaitFailed;
    }
    return readyIn(fds);
}

} // namespace kivrasim
