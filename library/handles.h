// The table of ports this library has opened and not yet closed.
//
// Handles come from a counter that is never reused within the process (it
// would take 2^31 opens to wrap, and a wrapped value still in use is
// skipped), so a stale handle never names a port opened later. Every device
// call leases its handle's entry for the length of its exchange: calls on one
// handle run one at a time, calls on different handles run side by side, and
// a close waits until the exchange in progress on that handle has ended.
#ifndef KIVRA_HANDLES_H
#define KIVRA_HANDLES_H

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

// Records an open port and returns its new handle (> 0).
int addPort(std::unique_ptr<Port> port);

// Leases an open handle, waiting while another call uses it. An empty lease
// when the handle is not open.
PortLease leasePort(int handle);

// Takes a handle out of the table (later leases fail at once), waits until
// no lease on it is left and gives its port to the caller, who alone then
// closes it. Null when the handle was not open.
std::unique_ptr<Port> removePort(int handle);

} // namespace kivra

#endif
