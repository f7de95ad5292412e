#include "portprobe.h"

#include <kivra_portname.h>

namespace kivracli {

namespace {

// Where the name leads as the library resolves it: its entry in the port
// directory when it is published there, else the device path it opens.
std::string portPath(const kivra::PortTarget &target)
{
    return target.published.empty() ? target.path : target.published;
}

} // namespace

std::string diagnoseOpenFailure(const std::string &name)
{
    // Neither a device nor a name of the port directory: empty, a relative
    // path, or a URL given as it is.
    const kivra::PortTarget target = kivra::resolvePortName(name);
    if (target.published.empty() && target.kind != kivra::PortKind::Device) {
        return "'" + name + "' is not a port name";
    }
    if (target.kind == kivra::PortKind::Network) {
        return "port " + name + " (" + target.path +
               ") cannot be reached: the connection was refused or the server did not answer";
    }
    return diagnoseDevice(name, portPath(target));
}

PortFacts portDetails(const std::string &name)
{
    PortFacts details;
    const kivra::PortTarget resolved = kivra::resolvePortName(name);
    const std::string path = portPath(resolved);
    details.emplace_back("path", path);
    // A network entry leads to its URL; there is no device behind it here.
    if (resolved.kind == kivra::PortKind::Network) {
        details.emplace_back("url", resolved.path);
        return details;
    }
    addDeviceDetails(path, &details);
    return details;
}

} // namespace kivracli
