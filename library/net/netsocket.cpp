#include "netsystem.h"

#include "boundedcall.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kivra {

namespace {

std::vector<SocketAddress> lookUp(const std::string &host, uint16_t port, bool numericOnly)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_NUMERICSERV | (numericOnly ? AI_NUMERICHOST : 0);
    addrinfo *found = nullptr;
    std::vector<SocketAddress> addresses;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return addresses;
    }
    for (const addrinfo *a = found; a; a = a->ai_next) {
        if (a->ai_addrlen > sizeof(sockaddr_storage)) {
            continue;
        }
        SocketAddress address;
        std::memcpy(&address.storage, a->ai_addr, a->ai_addrlen);
        address.length = static_cast<socklen_t>(a->ai_addrlen);
        address.family = a->ai_family;
        addresses.push_back(address);
    }
    freeaddrinfo(found);
    return addresses;
}

// A literal needs no resolver; a name may wait on one, so it is looked up on
// a thread of its own and given up at the deadline.
std::vector<SocketAddress> resolve(const std::string &host, uint16_t port,
                                   NetClock::time_point deadline)
{
    std::vector<SocketAddress> addresses = lookUp(host, port, true);
    if (!addresses.empty()) {
        return addresses;
    }
    callWithin([host, port]() { return lookUp(host, port, false); }, deadline, &addresses);
    return addresses;
}

// Waits for at most slice and never past until.
bool waitBy(NetSocket socket, bool write, NetClock::time_point until,
            std::chrono::nanoseconds slice)
{
    const auto left = std::min<NetClock::duration>(until - NetClock::now(), slice);
    if (left <= NetClock::duration::zero()) {
        return false;
    }
    return netWaitFor(socket, write, std::chrono::duration_cast<std::chrono::nanoseconds>(left));
}

// A non-blocking connect, finished by the deadline.
bool connectBy(NetSocket socket, const SocketAddress &address, NetClock::time_point deadline)
{
    switch (netStartConnect(socket, address)) {
    case NetConnect::Done:
        return true;
    case NetConnect::Failed:
        return false;
    case NetConnect::Pending:
        break;
    }
    while (!netWaitWritable(socket, deadline)) {
        if (NetClock::now() >= deadline) {
            return false;
        }
    }
    return netConnected(socket);
}

} // namespace

NetSocket netConnect(const std::string &host, uint16_t port, NetClock::time_point deadline)
{
    if (!netStarted()) {
        return kNoSocket;
    }
    for (const SocketAddress &address : resolve(host, port, deadline)) {
        if (NetClock::now() >= deadline) {
            break;
        }
        const NetSocket socket = netOpenSocket(address.family);
        if (socket == kNoSocket) {
            continue;
        }
        if (connectBy(socket, address, deadline)) {
            netSendAtOnce(socket);
            return socket;
        }
        netClose(socket);
    }
    return kNoSocket;
}

NetIo netSend(NetSocket socket, const uint8_t *bytes, int count, int *sent)
{
    *sent = 0;
    const int n = netSendSome(socket, bytes, count);
    if (n >= 0) {
        *sent = n;
        return NetIo::Done;
    }
    return netLastFailure();
}

NetIo netReceive(NetSocket socket, uint8_t *target, int size, int *received)
{
    *received = 0;
    const int n = netReceiveSome(socket, target, size);
    if (n > 0) {
        *received = n;
        return NetIo::Done;
    }
    if (n == 0) {
        return NetIo::Closed;
    }
    return netLastFailure();
}

bool netWaitReadable(NetSocket socket, NetClock::time_point until, std::chrono::nanoseconds slice)
{
    return waitBy(socket, false, until, slice);
}

bool netWaitWritable(NetSocket socket, NetClock::time_point until)
{
    return waitBy(socket, true, until, until - NetClock::now());
}

} // namespace kivra
