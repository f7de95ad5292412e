// Opening network ports: openPort() (ports.h) hands every URL here.
#ifndef KIVRA_NETPORTS_H
#define KIVRA_NETPORTS_H

#include <string>

namespace kivra {

// Connects to a socket:// or rfc2217:// name and records it in the handle
// table. Returns the handle, or -1 when the name is malformed, this process
// holds that server already, or the server cannot be reached or set up
// within kNetOpenBudget.
int openNetPort(const std::string &name);

} // namespace kivra

#endif
