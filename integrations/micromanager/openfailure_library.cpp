// The cause of a failed open told from the library's calls alone, for builds
// without the command-line tool's probe (a Windows Micro-Manager tree).
#include "OpenFailure.h"

#include <KivraLibrary.h>

#include <vector>

namespace kivramm {

namespace {

constexpr int kPortListBytes = 4096;

bool isListed(const std::string &port)
{
    std::vector<char> buffer(kPortListBytes, 0);
    if (listPorts(buffer.data(), kPortListBytes) <= 0) {
        return false;
    }
    const std::string list(buffer.data());
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = list.find(',', start);
        const size_t stop = end == std::string::npos ? list.size() : end;
        if (list.compare(start, stop - start, port) == 0) {
            return true;
        }
        start = stop + 1;
    }
    return false;
}

} // namespace

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
    if (isListed(port)) {
        return "port " + port + " is in use by another program";
    }
    return "port " + port + " is absent (not among the system's ports)";
}

} // namespace kivramm
