// TCP sockets for network ports: netsocket.cpp over the system calls of one
// file per platform (net_posix.cpp, net_win.cpp; see netsystem.h). Every
// call returns at once or by a deadline; nothing here knows of telnet or
// frames.
#ifndef KIVRA_NETSOCKET_H
#define KIVRA_NETSOCKET_H

#include <chrono>
#include <cstdint>
#include <string>

namespace kivra {

using NetClock = std::chrono::steady_clock;

using NetSocket = intptr_t;
constexpr NetSocket kNoSocket = -1;

// What a transfer found; the one mapping from the system's error codes is in
// the platform file.
enum class NetIo
{
    Done,       // some bytes moved (the count is returned beside it)
    WouldBlock, // nothing to read, or no room to write, just now
    Closed      // the peer closed or reset the connection, or the socket failed
};

// Resolves host (name or address literal) and connects to port, trying each
// address in turn, all by the deadline. The socket is non-blocking, with
// TCP_NODELAY. Returns kNoSocket on failure.
NetSocket netConnect(const std::string &host, uint16_t port, NetClock::time_point deadline);

NetIo netSend(NetSocket socket, const uint8_t *bytes, int count, int *sent);
NetIo netReceive(NetSocket socket, uint8_t *target, int size, int *received);

// Waits until the socket is readable (or writable), at most for slice and
// never past until. False on time-out. A closed connection counts as
// readable, so the next netReceive reports it.
bool netWaitReadable(NetSocket socket, NetClock::time_point until, std::chrono::nanoseconds slice);
bool netWaitWritable(NetSocket socket, NetClock::time_point until);

// The system's own smoothed estimate of the connection's round trip (from
// the handshake on), or zero when it keeps none or will not say.
std::chrono::microseconds netRoundTrip(NetSocket socket);

void netClose(NetSocket socket);

} // namespace kivra

#endif
