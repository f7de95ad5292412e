// A serial port reached over the network: the far end of a socket:// or
// rfc2217:// name. Offers what the protocol needs of any port (discard unread
// input, send a request, collect a reply within an attempt budget) over a
// TCP socket, with the telnet codec between for rfc2217.
//
// A connection that is lost (closed or reset by the server) stays lost: every
// later call fails at once, as on a closed port.
#ifndef KIVRA_NETPORT_H
#define KIVRA_NETPORT_H

#include "netsocket.h"
#include "neturl.h"
#include "telnet.h"

#include <memory>
#include <vector>

namespace kivra {

// Longest time an open of a network port may take: resolving, connecting and,
// for rfc2217, the negotiation and the line settings' answers.
constexpr std::chrono::milliseconds kNetOpenBudget{1500};

class NetPort
{
public:
    // Connects and makes the line ready by the deadline; nullptr on failure.
    static std::unique_ptr<NetPort> open(const NetAddress &address, NetClock::time_point deadline);
    ~NetPort();
    NetPort(const NetPort &) = delete;
    NetPort &operator=(const NetPort &) = delete;

    // Drops whatever has arrived and not been read; for rfc2217 also asks
    // the server to drop what it holds from the serial line.
    void discardInput();
    // Sends count data bytes; returns the count sent, 0 when the connection
    // is lost.
    int write(const uint8_t *bytes, int count);
    // As readReply(): up to wanted bytes within attempts slices of 1 ms;
    // returns the count received (target zero-padded), or -1 when the
    // connection is lost.
    int read(uint8_t *target, int wanted, int attempts);

    bool lost() const { return socket_ == kNoSocket; }

private:
    NetPort(NetScheme scheme, NetSocket socket);
    bool negotiate(NetClock::time_point deadline);
    // Sends all of bytes by until; a stalled or failed send loses the
    // connection, since a request cut short would garble the stream.
    bool sendAll(const std::vector<uint8_t> &bytes, NetClock::time_point until);
    // Receives what is there into data (decoded for rfc2217). False when the
    // connection is lost; *any tells whether bytes came.
    bool receive(int limit, std::vector<uint8_t> &data, bool *any);
    void lose();

    NetScheme scheme_;
    NetSocket socket_;
    TelnetCodec codec_;
    std::vector<uint8_t> pending_; // decoded data beyond the last wanted count
};

} // namespace kivra

#endif
