// TCP sockets on Windows (Winsock 2).
#include "netconnect.h"

#include <mstcpip.h>

#include <mutex>

namespace kivra {

namespace {

constexpr long kMicrosPerSecond = 1000000L;
constexpr WORD kWinsockVersion = MAKEWORD(2, 2);

// Winsock is started once per process and left running: the library has no
// unload hook that would know no socket is left.
bool winsockReady()
{
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] {
        WSADATA data;
        ready = WSAStartup(kWinsockVersion, &data) == 0;
    });
    return ready;
}

// The one place WSAGetLastError is interpreted.
NetIo lastFailure()
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

SOCKET native(NetSocket socket)
{
    return static_cast<SOCKET>(socket);
}

// select() on one socket for at most slice, never past until. Winsock
// reports a failed connect in the exception set.
bool waitFor(SOCKET s, bool write, NetClock::time_point until, std::chrono::nanoseconds slice)
{
    const auto left = std::min<NetClock::duration>(until - NetClock::now(), slice);
    if (left <= NetClock::duration::zero()) {
        return false;
    }
    const long long micros = std::chrono::ceil<std::chrono::microseconds>(left).count();
    timeval timeout{};
    timeout.tv_sec = static_cast<long>(micros / kMicrosPerSecond);
    timeout.tv_usec = static_cast<long>(micros % kMicrosPerSecond);
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

bool connectBy(SOCKET s, const SocketAddress &address, NetClock::time_point deadline)
{
    if (connect(s, reinterpret_cast<const sockaddr *>(&address.storage), address.length) == 0) {
        return true;
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
        return false;
    }
    while (!waitFor(s, true, deadline, deadline - NetClock::now())) {
        if (NetClock::now() >= deadline) {
            return false;
        }
    }
    int error = 0;
    int length = sizeof error;
    return getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&error), &length) == 0 &&
           error == 0;
}

} // namespace

bool netStarted()
{
    return winsockReady();
}

NetSocket netConnectAddress(const SocketAddress &address, NetClock::time_point deadline)
{
    const SOCKET s = WSASocketW(address.family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                                WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) {
        return kNoSocket;
    }
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0 || !connectBy(s, address, deadline)) {
        closesocket(s);
        return kNoSocket;
    }
    // Each request is one small write that must go out at once.
    const BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&on), sizeof on);
    return static_cast<NetSocket>(s);
}

NetIo netSend(NetSocket socket, const uint8_t *bytes, int count, int *sent)
{
    *sent = 0;
    const int n = send(native(socket), reinterpret_cast<const char *>(bytes), count, 0);
    if (n != SOCKET_ERROR) {
        *sent = n;
        return NetIo::Done;
    }
    return lastFailure();
}

NetIo netReceive(NetSocket socket, uint8_t *target, int size, int *received)
{
    *received = 0;
    const int n = recv(native(socket), reinterpret_cast<char *>(target), size, 0);
    if (n > 0) {
        *received = n;
        return NetIo::Done;
    }
    if (n == 0) {
        return NetIo::Closed;
    }
    return lastFailure();
}

bool netWaitReadable(NetSocket socket, NetClock::time_point until, std::chrono::nanoseconds slice)
{
    return waitFor(native(socket), false, until, slice);
}

bool netWaitWritable(NetSocket socket, NetClock::time_point until)
{
    return waitFor(native(socket), true, until, until - NetClock::now());
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
