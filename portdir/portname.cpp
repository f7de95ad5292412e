#include "kivra_portname.h"

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
