// The network ports this process holds open, by handle. The transport hands
// every name with a network scheme, and every handle found here, to these
// functions, which have the contracts of openPort, writeFrame, readReply and
// closePort.
#ifndef KIVRA_NETPORTS_H
#define KIVRA_NETPORTS_H

#include <cstdint>
#include <string>

namespace kivra {

// Connects to a socket:// or rfc2217:// name. Returns a handle, or -1 when the
// name is malformed, this process holds that server already, or the server
// cannot be reached or set up within kNetOpenBudget.
int openNetPort(const std::string &name);

bool isNetHandle(int handle);

// A handle whose connection is lost is forgotten here, so from then on it
// fails as a closed port does.
int netWriteFrame(int handle, const uint8_t *bytes, int count);
int netReadReply(int handle, uint8_t *target, int wanted, int attempts);
void closeNetPort(int handle);

} // namespace kivra

#endif
