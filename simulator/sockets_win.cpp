// The same calls on Winsock. The wake is a datagram socket on the loopback
// interface that sends to itself, so that WSAPoll() can watch it beside the
// TCP sockets.
#include "sockets.h"

#include "pollset.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <vector>

namespace kivrasim {

namespace {

constexpr int kBacklog = 4;

SOCKET sock(Socket socket)
{
    return static_cast<SOCKET>(socket);
}

bool started()
{
    static const bool ok = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ok;
}

void nonBlocking(SOCKET s)
{
    u_long on = 1;
    ioctlsocket(s, FIONBIO, &on);
}

std::string failure(const std::string &what)
{
    return what + " (error " + std::to_string(WSAGetLastError()) + ")";
}

} // namespace

Socket listenOn(const std::string &host, uint16_t port, std::string *boundHost, uint16_t *boundPort,
                std::string &error)
{
    if (!started()) {
        error = "cannot start Winsock";
        return kNoSocket;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo *found = nullptr;
    const std::string service = std::to_string(port);
    if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0) {
        error = failure("cannot listen on " + host);
        return kNoSocket;
    }
    SOCKET listener = INVALID_SOCKET;
    for (const addrinfo *a = found; a && listener == INVALID_SOCKET; a = a->ai_next) {
        listener = WSASocketW(a->ai_family, a->ai_socktype, a->ai_protocol, nullptr, 0,
                              WSA_FLAG_NO_HANDLE_INHERIT);
        if (listener == INVALID_SOCKET) {
            continue;
        }
        // Another program may not take the port while this one listens
        // (where the system can say so).
        const BOOL on = TRUE;
        setsockopt(listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char *>(&on),
                   sizeof on);
        if (bind(listener, a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0 ||
            listen(listener, kBacklog) != 0) {
            error = failure("cannot listen on " + host + ":" + service);
            closesocket(listener);
            listener = INVALID_SOCKET;
        }
    }
    freeaddrinfo(found);
    sockaddr_storage address{};
    int length = sizeof address;
    char numeric[NI_MAXHOST];
    char portText[NI_MAXSERV];
    if (listener != INVALID_SOCKET &&
        (getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0 ||
         getnameinfo(reinterpret_cast<sockaddr *>(&address), length, numeric, sizeof numeric,
                     portText, sizeof portText, NI_NUMERICHOST | NI_NUMERICSERV) != 0)) {
        error = failure("cannot read the listening address");
        closesocket(listener);
        listener = INVALID_SOCKET;
    }
    if (listener == INVALID_SOCKET) {
        return kNoSocket;
    }
    nonBlocking(listener);
    *boundHost = numeric;
    *boundPort = static_cast<uint16_t>(std::atoi(portText));
    return static_cast<Socket>(listener);
}

Socket acceptClient(Socket listener)
{
    const SOCKET client = accept(sock(listener), nullptr, nullptr);
    if (client == INVALID_SOCKET) {
        return kNoSocket;
    }
    nonBlocking(client);
    const BOOL on = TRUE;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&on), sizeof on);
    return static_cast<Socket>(client);
}

long receiveSome(Socket socket, uint8_t *buffer, size_t size)
{
    const int n = recv(sock(socket), reinterpret_cast<char *>(buffer), static_cast<int>(size), 0);
    if (n > 0) {
        return n;
    }
    return n < 0 && WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
}

bool peerGone(Socket socket)
{
    char byte = 0;
    const int n = recv(sock(socket), &byte, 1, MSG_PEEK);
    return n == 0 || (n < 0 && WSAGetLastError() != WSAEWOULDBLOCK);
}

bool sendSome(Socket socket, const uint8_t *bytes, size_t count)
{
    const int n =
        send(sock(socket), reinterpret_cast<const char *>(bytes), static_cast<int>(count), 0);
    return n >= 0 || WSAGetLastError() == WSAEWOULDBLOCK;
}

void closeSocket(Socket socket)
{
    if (socket != kNoSocket) {
        closesocket(sock(socket));
    }
}

Wake::Wake()
{
    if (!started()) {
        return;
    }
    SOCKET s = WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr *>(&address), &length) != 0 ||
        connect(s, reinterpret_cast<sockaddr *>(&address), length) != 0) {
        if (s != INVALID_SOCKET) {
            closesocket(s);
        }
        return;
    }
    nonBlocking(s);
    read_ = write_ = static_cast<Socket>(s);
}

Wake::~Wake()
{
    closeSocket(read_);
}

void Wake::signal()
{
    const char byte = 0;
    send(sock(write_), &byte, 1, 0);
}

int waitReadable(const Socket *descriptors, size_t count, const Wake &wake, int timeoutMs)
{
    std::vector<WSAPOLLFD> fds = pollSet<WSAPOLLFD>(descriptors, count, wake, POLLRDNORM);
    const int ready =
        WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), timeoutMs < 0 ? -1 : timeoutMs);
    if (ready < 0) {
        return kWaitFailed;
    }
    return readyIn(fds);
}

} // namespace kivrasim
