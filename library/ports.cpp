#include "ports.h"

#include "kivra_portname.h"
#include "net/netports.h"
#include "serial/serial.h"

namespace kivra {

int openPort(const char *name)
{
    const PortTarget target = resolvePortName(name ? name : "");
    switch (target.kind) {
    case PortKind::Network:
        return openNetPort(target.path);
    case PortKind::Device:
        return openSerialDevice(target.path, target.device);
    case PortKind::None:
        break;
    }
    return -1;
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

} // namespace kivra
