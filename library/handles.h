// The table of ports this library has opened and not yet closed.
//
// Handles come from a counter that runs from 1 to INT_MAX, then starts at 1
// again, skipping values still open. A closed handle's value is thus given
// again only after 2^31 - 1 more opens, so a stale handle does not name a
// port opened after it unless that many opens came between. The port layer
// (ports.cpp) alone adds ports to the table and removes them.
//
// Every device call leases its handle's entry for the length of its
// exchange: calls on one handle run one at a time, calls on different
// handles run side by side, and a close waits until the exchange in progress
// on that handle has ended.
#ifndef KIVRA_HANDLES_H
#define KIVRA_HANDLES_H

#include "claims.h"
#include "port.h"
#include "protocol/latereplies.h"

#include <memory>

namespace kivra {

struct HandleEntry;

// Exclusive use of one open handle's port; released on destruction.
class PortLease
{
public:
    PortLease() = default;
    explicit PortLease(std::shared_ptr<HandleEntry> entry);
    PortLease(PortLease &&other) noexcept;
    PortLease &operator=(PortLease &&) = delete;
    PortLease(const PortLease &) = delete;
    ~PortLease();

    explicit operator bool() const { return entry_ != nullptr; }
    Port &port() const;
    ExchangeState &state() const;

private:
    std::shared_ptr<HandleEntry> entry_;
};

// An open port as the table holds it: the port, and the claim that keeps
// other opens of it out of this process until the port has closed.
struct HeldPort
{
    PortClaim claim;
    std::unique_ptr<Port> port; // declared last, so destroyed (closed) first
};

// Records an open port and returns its new handle (> 0), or -1 for none.
int addPort(HeldPort held);

// Leases an open handle, waiting while another call uses it. An empty lease
// when the handle is not open.
PortLease leasePort(int handle);

// Takes a handle out of the table (later leases fail at once), waits until
// no lease on it is left and gives its port and claim to the caller, who
// alone then closes it. A null port when the handle was not open.
HeldPort removePort(int handle);

} // namespace kivra

#endif
