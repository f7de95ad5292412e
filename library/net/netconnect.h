// Connecting by host name and port, the part of netConnect() (netsocket.h)
// that both socket files share: the host is looked up (a literal at once, a
// name on a thread of its own, given up at the deadline) and each of its
// addresses tried in turn. Each platform's file (net_posix.cpp, net_win.cpp)
// gives the two system steps below.
#ifndef KIVRA_NETCONNECT_H
#define KIVRA_NETCONNECT_H

#include "netsocket.h"
#include "netsys.h"

namespace kivra {

// One address of the host, as the resolver gave it.
struct SocketAddress
{
    sockaddr_storage storage{};
    socklen_t length = 0;
    int family = AF_UNSPEC;
};

// Whether sockets can be used at all (Winsock started); true on POSIX.
bool netStarted();

// A non-blocking socket connected to address by the deadline, with
// TCP_NODELAY; kNoSocket when it cannot be made or connected in time.
NetSocket netConnectAddress(const SocketAddress &address, NetClock::time_point deadline);

} // namespace kivra

#endif
