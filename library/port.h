// An open port as the exchange code sees it: a byte stream in each direction
// with a deadline on every wait, and for a port reached over a network the
// round trip of its path. Each kind of port (a terminal device, a COM port, a
// network connection) implements it in its own file; the handle table holds
// one per open handle. Ports know nothing of frames.
#ifndef KIVRA_PORT_H
#define KIVRA_PORT_H

#include "KivraLine.h"

#include <chrono>
#include <cstdint>

namespace kivra {

using Clock = std::chrono::steady_clock;

// Every kind of port sets up the controller's line (KivraLine.h) when it
// opens: 115200 baud, 8 data bits, no parity, 2 stop bits.

// Largest wanted count Port::read() accepts.
constexpr int kStagingBytes = 256;

// The longest one wait for input lasts while nothing arrives: the step of
// every read, and the unit of the exchanges' attempt budgets.
constexpr std::chrono::milliseconds kReadSlice{1};

// No exchange waits longer than this beyond the controller's own budget,
// however slow a network path seems.
constexpr std::chrono::milliseconds kMaxPathAllowance{2000};

class Port
{
public:
    Port() = default;
    Port(const Port &) = delete;
    Port &operator=(const Port &) = delete;
    // Closes the port, dropping output not yet sent.
    virtual ~Port() = default;

    // Drops input that has arrived and has not been read.
    virtual void discardInput() = 0;

    // Bytes received and not yet read (what discardInput() would drop), or
    // -1 when this kind of port cannot tell. Only the frame trace asks.
    virtual int pendingInput() { return -1; }

    // Sends count bytes, waiting for room no later than until; what is still
    // unsent then is dropped. Returns the bytes sent.
    virtual int write(const uint8_t *bytes, int count, Clock::time_point until) = 0;

    // Collects up to wanted bytes (at most kStagingBytes) into target,
    // pausing at most kReadSlice at a time while nothing arrives, until wanted
    // bytes have come or until has passed. Returns the count received
    // (target's first wanted bytes are then written, zero-padded), or -1 when
    // the port failed or hung up (target untouched).
    virtual int read(uint8_t *target, int wanted, Clock::time_point until) = 0;

    // The path: the network between this computer and the controller's
    // line, for a port reached over one. A port on this computer has none,
    // and its exchanges keep the controller's own budgets.
    virtual bool hasPath() const { return false; }

    // What an exchange may wait for its reply beyond the controller's budget
    // (at most kMaxPathAllowance); zero without a path.
    virtual Clock::duration pathAllowance() const { return Clock::duration::zero(); }

    // One round trip observed on the path: a request until its whole reply.
    virtual void samplePath(Clock::duration) {}

    // An exchange has run on the path, whatever came of it.
    virtual void settlePath() {}
};

} // namespace kivra

#endif
