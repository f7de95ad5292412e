// What a port name stands for: the one rule that turns a name into what to
// open. The library opens ports by it, and our programs tell by it where a
// name leads (the kivra tool's port details, Trova's port watch), so they
// never disagree with the library.
//
// A name with a network scheme is a URL: socket://HOST:PORT or
// rfc2217://HOST:PORT. Any other name is the platform's (see
// resolveLocalName).
#ifndef KIVRA_PORTNAME_H
#define KIVRA_PORTNAME_H

#include <string>
#include <sys/types.h>

namespace kivra {

// The network schemes: raw TCP to a serial server already set to the line
// settings, and telnet with the serial port control option.
constexpr char kRawSocketScheme[] = "socket://";
constexpr char kRfc2217Scheme[] = "rfc2217://";
constexpr const char *kNetworkSchemes[] = {kRawSocketScheme, kRfc2217Scheme};

// True when name starts with one of the network schemes, whether or not the
// rest is well formed: such a name is never looked up as a device.
bool isNetworkName(const std::string &name);

enum class PortKind
{
    None,    // nothing may be opened under this name
    Device,  // a serial device; path is its device path
    Network, // a network port; path is its URL
};

struct PortTarget
{
    PortKind kind = PortKind::None;
    std::string path;      // what to open: the device path, or the URL
    std::string published; // the port directory's entry of that name, if it has one
    dev_t device = 0;      // a published device's number, to compare after opening (0: none)
};

// What to open for a port name: a URL as given, else resolveLocalName().
PortTarget resolvePortName(const std::string &name);

// The platform's rule for a name that is not a URL (portname_posix.cpp,
// portname_win.cpp).
//
// POSIX: an absolute path is a device path as given. A bare name is looked
// up in the port directory when that directory passes its check
// (kivra_portdir.h): an entry that counts gives its device or its URL, an
// entry that does not count gives None (it is not looked up in /dev under the
// same name); a name that is not there is the device /dev/NAME. An empty
// name and a relative path are None.
//
// Windows: a COM port name becomes its device path \\.\NAME (names above COM9
// open only that way); a name that already is a device path (\\...) is taken
// as given. An empty name is None.
PortTarget resolveLocalName(const std::string &name);

} // namespace kivra

#endif
