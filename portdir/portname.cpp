#include "kivra_portname.h"

#include "kivra_portdir.h"
#include "portname_platform.h"

namespace kivra {

namespace {

bool startsWith(const std::string &text, const char *prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

} // namespace

bool isNetworkName(const std::string &name)
{
    for (const char *scheme : kNetworkSchemes) {
        if (startsWith(name, scheme)) {
            return true;
        }
    }
    return false;
}

bool resolvePublished(const std::string &name, PortTarget *target)
{
    const std::string dir = virtualPortDirectory();
    if (checkPortDirectory(dir) != PortDirStatus::Usable || !hasPortEntry(dir, name)) {
        return false;
    }
    const PortEntry entry = classifyPortEntry(dir, name);
    target->published = portEntryPath(dir, name);
    if (entry.kind == PortEntryKind::Device) {
        target->kind = PortKind::Device;
        target->device = entry.device;
    } else if (entry.kind == PortEntryKind::Network) {
        target->kind = PortKind::Network;
    }
    target->path = entry.target;
    return true;
}

PortTarget resolvePortName(const std::string &name)
{
    if (isNetworkName(name)) {
        PortTarget target;
        target.kind = PortKind::Network;
        target.path = name;
        return target;
    }
    return resolveLocalName(name);
}

} // namespace kivra
