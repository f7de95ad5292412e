// The ports the library lists, and whether a controller answers on one:
// what the adapter offers beside its free Port text and what device
// detection tries.
#ifndef KIVRA_MM_PORTS_H
#define KIVRA_MM_PORTS_H

#include <string>
#include <vector>

namespace kivramm {

// listPorts() as names: real serial ports first, then virtual ones.
std::vector<std::string> listedPorts();

// "a,b,c", as listPorts() gives them.
std::string joinPorts(const std::vector<std::string> &names);

// Opens the port, asks the controller for its name and closes it again.
bool controllerAnswers(const std::string &port);

} // namespace kivramm

#endif
