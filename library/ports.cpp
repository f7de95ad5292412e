#include "ports.h"

#include "claims.h"
#include "handles.h"
#include "kivra_portname.h"
#include "net/netport.h"
#include "serial/serial.h"

namespace kivra {

namespace {

// Each kind of port is claimed before its transport is asked, so two opens
// of one port never both reach it; a failed open drops the claim again.

HeldPort openNetwork(const std::string &url)
{
    HeldPort held;
    NetAddress address;
    if (parseNetAddress(url, &address) && (held.claim = PortClaim::take(netAddressKey(address)))) {
        // A lost connection no longer holds its server, which may then be
        // opened again before the lost handle is closed.
        held.port = NetPort::open(address, NetClock::now() + kNetOpenBudget, held.claim.releaser());
    }
    return held;
}

HeldPort openDevice(const PortTarget &target)
{
    HeldPort held;
    if ((held.claim = PortClaim::take(serialClaimKey(target.path)))) {
        held.port = openSerialDevice(target.path, target.device);
    }
    return held;
}

HeldPort openTarget(const PortTarget &target)
{
    switch (target.kind) {
    case PortKind::Network:
        return openNetwork(target.path);
    case PortKind::Device:
        return openDevice(target);
    case PortKind::None:
        break;
    }
    return HeldPort();
}

} // namespace

int openPort(const char *name)
{
    return addPort(openTarget(resolvePortName(name ? name : "")));
}

int probePort(const char *name)
{
    const int handle = openPort(name);
    if (handle < 0) {
        return 1;
    }
    closePort(handle);
    return 0;
}

void closePort(int handle)
{
    // Once the exchange in progress has ended, the port closes before its
    // claim lets the next open in (HeldPort's order).
    removePort(handle);
}

} // namespace kivra
