#include "kivra_portdir.h"
#include "kivra_portname.h"

namespace kivra {

namespace {

constexpr const char *kDevDir = "/dev/";

} // namespace

PortTarget resolveLocalName(const std::string &name)
{
    PortTarget target;
    if (name.empty()) {
        return target;
    }
    if (name.front() == '/') {
        target.kind = PortKind::Device;
        target.path = name;
        return target;
    }
    // A bare name must not climb out of the port directories.
    if (name.find('/') != std::string::npos) {
        return target;
    }
    // A directory that fails the check is not used at all; in one that
    // passes, an entry that does not count is refused rather than looked up
    // in /dev under the same name.
    const std::string dir = virtualPortDirectory();
    if (checkPortDirectory(dir) == PortDirStatus::Usable && hasPortEntry(dir, name)) {
        const PortEntry entry = classifyPortEntry(dir, name);
        target.published = portEntryPath(dir, name);
        if (entry.kind == PortEntryKind::Device) {
            target.kind = PortKind::Device;
            target.device = entry.device;
        } else if (entry.kind == PortEntryKind::Network) {
            target.kind = PortKind::Network;
        }
        target.path = entry.target;
        return target;
    }
    target.kind = PortKind::Device;
    target.path = kDevDir + name;
    return target;
}

} // namespace kivra
