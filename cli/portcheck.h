// What the tool checks before it names a network port in the port directory
// (kivra ports add): a name that can be listed and stays inside the
// directory, and a URL the library opens. Nothing is written when either
// fails.
#ifndef KIVRA_CLI_PORTCHECK_H
#define KIVRA_CLI_PORTCHECK_H

#include <cstddef>
#include <string>

namespace kivracli {

// A name must leave room for others in a port list: the program passes 1024
// bytes, and the first name that does not fit ends the list for every name
// after it. 64 bytes is longer than any name a system gives its ports.
constexpr size_t kMaxPortNameBytes = 64;

// Why name cannot be an entry of the port directory, or "" when it can.
std::string portNameProblem(const std::string &name);

// Why url is not a network port the library would open, or "" when it is.
std::string portUrlProblem(const std::string &url);

} // namespace kivracli

#endif
