// What publishing checks first on every platform; the rest is the
// platform's (portlink_posix.cpp, portlink_win.cpp).
#include "portlink.h"

#include "kivra_portdir.h"

namespace kivrasim {

PublishResult Publication::publish(const std::string &dir, const std::string &name,
                                   const std::string &target, bool device, std::string &error)
{
    withdraw();
    if (!kivra::isEntryName(name)) {
        error = "invalid port name \"" + name + "\"";
        return PublishResult::Failed;
    }
    return place(dir, name, target, device, error);
}

} // namespace kivrasim
