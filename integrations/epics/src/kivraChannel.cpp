#include "kivraChannel.h"

#include "kivraPort.h"

#include <sstream>

namespace kivraioc {

namespace {

struct Special
{
    const char *name;
    ChannelKind kind;
    int (*readText)(int handle, char *buffer, int size);
};

const Special kSpecials[] = {
    {"frequency", ChannelKind::Frequency, nullptr},
    {"device-name", ChannelKind::Text, getDeviceName},
    {"serial-number", ChannelKind::Text, getSerialNumber},
    {"firmware-version", ChannelKind::Text, getDeviceSoftVersion},
    {"connected", ChannelKind::Connected, nullptr},
    {"status", ChannelKind::Status, nullptr},
};

} // namespace

bool parseChannel(const char *link, Channel *channel, std::string *error)
{
    std::istringstream words(link ? link : "");
    std::string port, name, extra;
    words >> port >> name >> extra;
    if (port.empty() || name.empty() || !extra.empty()) {
        *error = std::string("link \"") + (link ? link : "") + "\" is not \"@PORT NAME\"";
        return false;
    }
    channel->port = Port::find(port);
    if (!channel->port) {
        *error = "no port " + port + " (kivraShutterConfigure(\"" + port + "\", ...) comes first)";
        return false;
    }
    channel->name = name;
    if ((channel->binding = kivra::bindingNamed(name))) {
        channel->kind = ChannelKind::Parameter;
        return true;
    }
    for (const Special &s : kSpecials) {
        if (name == s.name) {
            channel->kind = s.kind;
            channel->readText = s.readText;
            return true;
        }
    }
    *error = "no parameter " + name;
    return false;
}

} // namespace kivraioc
