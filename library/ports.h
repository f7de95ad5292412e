// Ports by name, as the exported functions use them. A name is resolved once,
// here (kivra_portname.h), and handed to the transport it names: a URL to the
// network side (net/), a device to the platform's serial side (serial/). The
// transports only open what they are given and return it; this layer alone
// claims each port (one open per port in this process, claims.h), puts it
// into the handle table and takes it out again. Calls reach it by handle.
#ifndef KIVRA_PORTS_H
#define KIVRA_PORTS_H

namespace kivra {

// Opens and configures a port by name (bare name, absolute path or network
// URL). Returns a handle > 0 registered in the handle table, or -1.
int openPort(const char *name);

// 1 when the port cannot be opened now, 0 when it could (opened, closed again).
int probePort(const char *name);

// Closes a handle from openPort(), of any kind, once the exchange in progress
// on it (if any) has ended; unknown handles are ignored.
void closePort(int handle);

// Writes the comma-separated port names into buffer (see listPorts). Returns
// the number of names, or -1. The platform's (serial/).
int enumeratePorts(char *buffer, int size);

} // namespace kivra

#endif
