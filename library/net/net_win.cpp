// TCP sockets on Windows (Winsock 2).
#include "netsocket.h"

#include "boundedcall.h"

// The round-trip query is declared for Windows 10 (1703) on; the library
// still runs on Windows 7, where the call fails and nothing is lost.
#ifndef NTDDI_VERSION
#define NTDDI_VERSION 0x0A000003 // NTDDI_WIN10_RS2
#endif
// winsock2.h first: the others build on its types.
#include <winsock2.h>

#include <mstcpip.h>
#include <ws2tcpip.h>

#include <cstring>
#include <mutex>
#include <vector>

namespace kivra {

namespace {

constexpr long kMicrosPerSecond = 1000000L;
constexpr WORD kWinsockVersion = MAKEWORD(2, 2);

struct Address
{
    sockaddr_storage storage{};
    int length = 0;
    int family = AF_UNSPEC;
};

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
        address.length = static_cast<int>(a->ai_addrlen);
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

bool connectBy(SOCKET s, const Address &address, NetClock::time_point deadline)
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

NetSocket netConnect(const std::string &host, uint16_t port, NetClock::time_point deadline)
{
    if (!winsockReady()) {
        return kNoSocket;
    }
    for (const Address &address : resolve(host, port, deadline)) {
        if (NetClock::now() >= deadline) {
            break;
        }
        const SOCKET s = WSASocketW(address.family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                                    WSA_FLAG_NO_HANDLE_INHERIT);
        if (s == INVALID_SOCKET) {
            continue;
        }
        u_long nonBlocking = 1;
        if (ioctlsocket(s, FIONBIO, &nonBlocking) == 0 && connectBy(s, address, deadline)) {
            // Each request is one small write that must go out at once.
            const BOOL on = TRUE;
            setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&on), sizeof on);
            return static_cast<NetSocket>(s);
        }
        closesocket(s);
    }
    return kNoSocket;
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
