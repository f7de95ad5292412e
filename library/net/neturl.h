// Network port names: socket://HOST:PORT (raw TCP to a serial server already
// set to the line settings) and rfc2217://HOST:PORT (telnet with the serial
// port control option). An IPv6 literal is written in brackets:
// rfc2217://[::1]:4001. Pure functions over strings. Which names are URLs at
// all is the port names' rule (kivra_portname.h: isNetworkName).
#ifndef KIVRA_NETURL_H
#define KIVRA_NETURL_H

#include "kivra_portname.h"

#include <cstdint>
#include <string>

namespace kivra {

enum class NetScheme
{
    RawSocket,
    Rfc2217
};

struct NetAddress
{
    NetScheme scheme = NetScheme::RawSocket;
    std::string host; // without brackets
    uint16_t port = 0;
};

// Splits HOST:PORT at its last colon: a host with a colon (an IPv6 literal)
// in brackets, which are taken off, and a port of 0 to 65535 in decimal
// digits. Nothing is asked of the host's characters beyond that.
bool parseHostAndPort(const std::string &text, std::string *host, uint16_t *port);

// Parses a network port name. False for anything that is not exactly
// scheme://host:port with a port of 1 to 65535 and a host of printable
// characters without spaces, slashes or (outside brackets) colons.
bool parseNetAddress(const std::string &name, NetAddress *address);

// One spelling per server, for telling whether this process holds it already:
// the scheme, the host in lower case and the port.
std::string netAddressKey(const NetAddress &address);

} // namespace kivra

#endif
