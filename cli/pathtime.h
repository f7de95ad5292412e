// The time a network path adds to each exchange, as a caller of the library
// sees it: a few state reads, timed, less what they take on a local line.
#ifndef KIVRA_CLI_PATHTIME_H
#define KIVRA_CLI_PATHTIME_H

#include <string>

namespace kivracli {

// Whether name leads to a controller over the network: a URL, or a port
// directory entry holding one.
bool isNetworkPort(const std::string &name);

// The median of a few state reads on handle less the line time of one,
// in milliseconds (never below 0); or the library's negative result when a
// read failed.
double measureRoundTripMs(int handle);

// "20.4 ms"
std::string formatRoundTrip(double ms);

} // namespace kivracli

#endif
