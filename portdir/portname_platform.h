// What the platforms' rules for local names (portname_posix.cpp,
// portname_win.cpp) share from portname.cpp: a name the port directory
// holds.
#ifndef KIVRA_PORTNAME_PLATFORM_H
#define KIVRA_PORTNAME_PLATFORM_H

#include "kivra_portname.h"

#include <string>

namespace kivra {

// When the port directory passes its check and holds something under name,
// counting or not, fills target with that entry (published, and what it
// opens: a device, a URL, or nothing for an entry that does not count) and
// returns true. Otherwise returns false and leaves target as it was.
bool resolvePublished(const std::string &name, PortTarget *target);

} // namespace kivra

#endif
