#include "kivra_portdir.h"
#include "kivra_portname.h"

namespace kivra {

namespace {

constexpr const char *kDevicePrefix = "\\\\.\\";

bool isDevicePath(const std::string &name)
{
    return name.compare(0, 2, "\\\\") == 0;
}

} // namespace

PortTarget resolveLocalName(const std::string &name)
{
    PortTarget target;
    if (name.empty()) {
        return target;
    }
    // As on POSIX, a name the port directory holds is that entry's, counting
    // or not; names that cannot be entries (COM3, device paths) never are.
    const std::string dir = virtualPortDirectory();
    if (!isDevicePath(name) && isEntryName(name) &&
        checkPortDirectory(dir) == PortDirStatus::Usable && hasPortEntry(dir, name)) {
        const PortEntry entry = classifyPortEntry(dir, name);
        target.published = portEntryPath(dir, name);
        if (entry.kind == PortEntryKind::Network) {
            target.kind = PortKind::Network;
            target.path = entry.target;
        }
        return target;
    }
    target.kind = PortKind::Device;
    target.path = isDevicePath(name) ? name : kDevicePrefix + name;
    return target;
}

} // namespace kivra
