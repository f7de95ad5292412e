// What a record's link names: "@S1 on-time" is port S1's parameter on-time,
// found in the binding table by its vocabulary name; the other words are
// the controller's frequency and text fields and the port's own state.
#ifndef KIVRA_EPICS_CHANNEL_H
#define KIVRA_EPICS_CHANNEL_H

#include <KivraBindings.h>

#include <string>

namespace kivraioc {

class Port;

enum class ChannelKind
{
    Parameter, // a stored parameter: binding
    Frequency, // getFrequency
    Text,      // a 32-byte text field: readText
    Connected, // whether the port's line is open and answering
    Status,    // the port's last result in words
};

struct Channel
{
    Port *port = nullptr;
    ChannelKind kind = ChannelKind::Parameter;
    std::string name; // as the link gives it: "on-time"
    const kivra::Binding *binding = nullptr;
    int (*readText)(int handle, char *buffer, int size) = nullptr;
};

// Parses "PORT NAME"; false with the reason in *error.
bool parseChannel(const char *link, Channel *channel, std::string *error);

} // namespace kivraioc

#endif
