// What each platform's socket file (net_posix.cpp, net_win.cpp) gives the
// socket code both share (netsocket.cpp): the system calls, one step each,
// and the one reading of the system's error codes. Everything that decides
// (looking a host up, trying its addresses, the deadlines, what a transfer's
// count means) is in netsocket.cpp.
#ifndef KIVRA_NETSYSTEM_H
#define KIVRA_NETSYSTEM_H

#include "netsocket.h"
#include "netsys.h"

namespace kivra {

// One address of a host, as the resolver gave it.
struct SocketAddress
{
    sockaddr_storage storage{};
    socklen_t length = 0;
    int family = AF_UNSPEC;
};

enum class NetConnect
{
    Done,    // connected at once
    Pending, // under way: the socket turns writable when it has ended
    Failed
};

// Whether sockets can be used at all (Winsock started); true on POSIX.
bool netStarted();

// A new non-blocking TCP socket of the family, not inherited by child
// processes; kNoSocket when the system will not make one.
NetSocket netOpenSocket(int family);

// Starts connecting; netConnected() then tells how a pending connect ended.
NetConnect netStartConnect(NetSocket socket, const SocketAddress &address);
bool netConnected(NetSocket socket);

// Each request is one small write that must go out at once (TCP_NODELAY).
void netSendAtOnce(NetSocket socket);

// One send or receive: the bytes moved, 0 from a receive when the peer has
// closed, or -1 when it failed (netLastFailure() says how).
int netSendSome(NetSocket socket, const uint8_t *bytes, int count);
int netReceiveSome(NetSocket socket, uint8_t *target, int size);
NetIo netLastFailure();

// Waits at most wait for the socket to turn readable (or writable, or a
// connect to fail). False on time-out.
bool netWaitFor(NetSocket socket, bool write, std::chrono::nanoseconds wait);

} // namespace kivra

#endif
