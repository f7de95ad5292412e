// The port list format shared by every platform: names joined by ",",
// zero-terminated, in a caller's buffer of fixed size.
#ifndef KIVRA_PORTLIST_H
#define KIVRA_PORTLIST_H

#include <string>
#include <vector>

namespace kivra {

// Zero-fills buffer, then appends names in order while each still fits with
// its separator and the terminating zero byte; the first name that does not
// fit ends the list. Returns the number of names written, or -1 when buffer
// is absent or size is not positive.
int formatPortList(const std::vector<std::string> &names, char *buffer, int size);

// The list listPorts gives: the machine's own ports (nullptr when the
// system's list of them could not be read), then the ports published in the
// port directory, formatted as one list by formatPortList(). Without the
// machine's list the published ports are listed alone; with neither, -1 and
// the buffer cleared.
int formatPortList(const std::vector<std::string> *machine,
                   const std::vector<std::string> &published, char *buffer, int size);

// The entries of the port directory dir that count as ports (see
// classifyPortEntry), in name order.
std::vector<std::string> listVirtualPorts(const std::string &dir);

// Orders names so that runs of digits compare by value (ttyS2 before
// ttyS10); otherwise byte by byte.
bool portNameLess(const std::string &a, const std::string &b);

} // namespace kivra

#endif
