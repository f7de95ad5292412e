// TCP sockets on Windows (Winsock 2): the system calls behind netsocket.cpp.
#include "netsystem.h"

#include <mstcpip.h>

#include <mutex>

namespace kivra {

namespace {

constexpr long kMicrosPerSecond = 1000000L;
constexpr WORD kWinsockVersion = MAKEWORD(2, 2);

SOCKET native(NetSocket socket)
{
    return static_cast<SOCKET>(socket);
}

} // namespace

// Winsock is started once per process and left running: the library has no
// unload hook that would know no socket is left.
bool netStarted()
{
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] {
        WSADATA data;
        ready = WSAStartup(kWinsockVersion, &data) == 0;
    });
    return ready;
}

NetSocket netOpenSocket(int family)
{
    const SOCKET s =
        WSASocketW(family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) {
        return kNoSocket;
    }
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        closesocket(s);
        return kNoSocket;
    }
    return static_cast<NetSocket>(s);
}

NetConnect netStartConnect(NetSocket socket, const SocketAddress &address)
{
    if (connect(native(socket), reinterpret_cast<const sockaddr *>(&address.storage),
                address.length) == 0) {
        return NetConnect::Done;
    }
    return WSAGetLastError() == WSAEWOULDBLOCK ? NetConnect::Pending : NetConnect::Failed;
}

bool netConnected(NetSocket socket)
{
    int error = 0;
    int length = sizeof error;
    return getsockopt(native(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&error),
                      &length) == 0 &&
           error == 0;
}

void netSendAtOnce(NetSocket socket)
{
    const BOOL on = TRUE;
    setsockopt(native(socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&on),
               sizeof on);
}

int netSendSome(NetSocket socket, const uint8_t *bytes, int count)
{
    return send(native(socket), reinterpret_cast<const char *>(bytes), count, 0);
}

int netReceiveSome(NetSocket socket, uint8_t *target, int size)
{
    return recv(native(socket), reinterpret_cast<char *>(target), size, 0);
}

// The one place WSAGetLastError is interpreted.
NetIo netLastFailure()
{
    switch (WSAGetLastError()) {
    case WSAEWOULDBLOCK:
    case WSAEINTR:
    case WSAEINPROGRESS:
        return NetIo::WouldBlock;
    default:
        return NetIo::Closed;
    }
}

// select() on one socket. Winsock reports a failed connect in the exception
// set.
bool netWaitFor(NetSocket socket, bool write, std::chrono::nanoseconds wait)
{
    const long long micros = std::chrono::ceil<std::chrono::microseconds>(wait).count();
    timeval timeout{};
    timeout.tv_sec = static_cast<long>(micros / kMicrosPerSecond);
    timeout.tv_usec = static_cast<long>(micros % kMicrosPerSecond);
    const SOCKET s = native(socket);
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    const int n = write ? select(0, nullptr, &ready, &failed, &timeout)
                        : select(0, &ready, nullptr, &failed, &timeout);
    return n > 0;
}

std::chrono::microseconds netRoundTrip(NetSocket socket)
{
    // Windows 10 1703 and later; older systems (and wine) refuse the request.
    DWORD version = 0;
    TCP_INFO_v0 info{};
    DWORD returned = 0;
    if (WSAIoctl(native(socket), SIO_TCP_INFO, &version, sizeof version, &info, sizeof info,
                 &returned, nullptr, nullptr) != 0 ||
        returned < sizeof info) {
        return std::chrono::microseconds::zero();
    }
    return std::chrono::microseconds(info.RttUs);
}

void netClose(NetSocket socket)
{
    if (socket != kNoSocket) {
        closesocket(native(socket));
    }
}

} // namespace kivra
