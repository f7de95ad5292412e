#include "kivra_portname.h"
#include "portname_platform.h"

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
    if (resolvePublished(name, &target)) {
        return target;
    }
    target.kind = PortKind::Device;
    target.path = kDevDir + name;
    return target;
}

} // namespace kivra
