// The cause of a failed open told from the library's calls alone, for builds
// without the command-line tool's probe (a Windows Micro-Manager tree).
#include "OpenFailure.h"

#include "KivraPorts.h"

#include <KivraLibrary.h>

#include <algorithm>
#include <vector>

namespace kivramm {

std::string describeOpenFailure(const std::string &port)
{
    if (port.empty()) {
        return "no port name given";
    }
    if (port.find("://") != std::string::npos) {
        return "port " + port +
               " cannot be reached: the connection was refused or the server did not answer";
    }
    const int busy = isSerialOpen(port.c_str());
    if (busy == 0) {
        return "port " + port + " could not be opened, though it is free now";
    }
    const std::vector<std::string> listed = listedPorts();
    if (std::find(listed.begin(), listed.end(), port) != listed.end()) {
        return "port " + port + " is in use by another program";
    }
    return "port " + port + " is absent (not among the system's ports)";
}

} // namespace kivramm
