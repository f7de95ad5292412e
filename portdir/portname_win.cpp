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
    target.kind = PortKind::Device;
    target.path = isDevicePath(name) ? name : kDevicePrefix + name;
    return target;
}

} // namespace kivra
