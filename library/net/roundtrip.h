// The round trip of the path between this computer and a controller's serial
// line when a network lies between them: measured on the connection, smoothed
// as TCP smooths its own (RFC 6298), and turned into the time an exchange may
// wait for its reply beyond the controller's own budget. Pure arithmetic; the
// network port feeds it, and the exchange code reads it through the port
// (port.h: the path).
#ifndef KIVRA_ROUNDTRIP_H
#define KIVRA_ROUNDTRIP_H

#include "port.h"

#include <chrono>

namespace kivra {
// Until a connection has carried its first exchange, its set-up may have
// measured less than the whole path (a relay such as a tunnel or a proxy
// answers the connection itself), so that exchange gets at least this long;
// TCP's own first retransmission time.
constexpr std::chrono::milliseconds kUnsettledAllowance{1000};
// The finest step a wait can take: the variation term never drops below it.
constexpr std::chrono::microseconds kAllowanceGranularity = kReadSlice;

class RoundTrip
{
public:
    using Duration = std::chrono::steady_clock::duration;

    // The measurement made while the connection was set up. settled: it
    // crossed the whole path (a negotiation the far server answered), so the
    // first exchange needs no extra room.
    void seed(Duration sample, bool settled);

    // One round trip observed on the path: a request until its complete reply.
    void sample(Duration roundTrip);

    // The first exchange has run, whatever came of it.
    void settle() { settled_ = true; }

    // What an exchange may wait beyond its local budget: smoothed round trip
    // plus four times its variation, within kMaxPathAllowance.
    Duration allowance() const;

    Duration smoothed() const { return smoothed_; }
    Duration variation() const { return variation_; }
    bool measured() const { return measured_; }

private:
    Duration smoothed_{};
    Duration variation_{};
    bool measured_ = false;
    bool settled_ = false;
};

} // namespace kivra

#endif
