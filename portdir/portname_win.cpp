#include "kivra_portdir.h"
#include "kivra_portname.h"
#include "portname_platform.h"

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
    if (!isDevicePath(name) && isEntryName(name) && resolvePublished(name, &target)) {
        return target;
    }
    target.kind = PortKind::Device;
    target.path = isDevicePath(name) ? name : kDevicePrefix + name;
    return target;
}

} // namespace kivra
