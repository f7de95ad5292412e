// A serial port reached over the network: the far end of a socket:// or
// rfc2217:// name, as a Port of the handle table, over a TCP socket with the
// telnet codec between for rfc2217.
//
// A connection that is lost (closed or reset by the server) stays lost: every
// later call fails at once, as on a closed port, and the server is no longer
// held by this process.
#ifndef KIVRA_NETPORT_H
#define KIVRA_NETPORT_H

#include "netsocket.h"
#include "neturl.h"
#include "port.h"
#include "roundtrip.h"
#include "telnet.h"

#include <functional>
#include <memory>
#include <vector>

namespace kivra {

// Longest time an open of a network port may take: resolving, connecting and,
// for rfc2217, the negotiation and the line settings' answers.
constexpr std::chrono::milliseconds kNetOpenBudget{1500};

class NetPort : public Port
{
public:
    // Called once when an open port stops holding its server: on loss or
    // close. A failed open leaves its claim to the caller.
    using Release = std::function<void()>;

    // Connects and makes the line ready by the deadline; nullptr on failure.
    static std::unique_ptr<NetPort> open(const NetAddress &address, NetClock::time_point deadline,
                                         Release release);
    ~NetPort() override;

    // Drops whatever has arrived and not been read; for rfc2217 also asks
    // the server to drop what it holds from the serial line.
    void discardInput() override;
    int write(const uint8_t *bytes, int count, Clock::time_point until) override;
    // Returns -1 when the connection is lost.
    int read(uint8_t *target, int wanted, Clock::time_point until) override;

    // The path's round trip is measured at open (the connection's set-up, or
    // the RFC 2217 line settings' answers), then kept current by the
    // exchanges.
    bool hasPath() const override { return true; }
    Clock::duration pathAllowance() const override { return roundTrip_.allowance(); }
    void samplePath(Clock::duration roundTrip) override { roundTrip_.sample(roundTrip); }
    void settlePath() override { roundTrip_.settle(); }

    bool lost() const { return socket_ == kNoSocket; }

private:
    NetPort(NetScheme scheme, NetSocket socket, Release release);
    bool negotiate(NetClock::time_point deadline);
    // Waits for input by the deadline and takes it in; false on time-out
    // or loss.
    bool receiveBy(NetClock::time_point deadline);
    // Sends all of bytes by until; a stalled or failed send loses the
    // connection, since a request cut short would garble the stream.
    bool sendAll(const std::vector<uint8_t> &bytes, NetClock::time_point until);
    // Receives what is there into data (decoded for rfc2217). False when the
    // connection is lost; *any tells whether bytes came.
    bool receive(int limit, std::vector<uint8_t> &data, bool *any);
    void lose();

    NetScheme scheme_;
    NetSocket socket_;
    Release release_;
    TelnetCodec codec_;
    std::vector<uint8_t> pending_; // decoded data beyond the last wanted count
    RoundTrip roundTrip_;
};

} // namespace kivra

#endif
