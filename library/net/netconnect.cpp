#include "netconnect.h"

#include "boundedcall.h"

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
        const NetSocket socket = netConnectAddress(address, deadline);
        if (socket != kNoSocket) {
            return socket;
        }
    }
    return kNoSocket;
}

} // namespace kivra
