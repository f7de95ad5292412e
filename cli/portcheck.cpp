#include "portcheck.h"

#include <kivra_portdir.h>
#include <kivra_portname.h>
#include <neturl.h>

namespace kivracli {

std::string portNameProblem(const std::string &name)
{
    const std::string quoted = "port name '" + name + "'";
    if (name.empty()) {
        return "the port name is empty";
    }
    if (name.size() > kMaxPortNameBytes) {
        return quoted + " is longer than " + std::to_string(kMaxPortNameBytes) + " bytes";
    }
    if (kivra::isEntryName(name)) {
        return std::string();
    }
    // The platform's rule refused it; say which of the common reasons it is.
    if (name.front() == '.') {
        return quoted + " starts with a dot, kept for the port directory's own files";
    }
    if (name.find_first_of("/\\") != std::string::npos) {
        return quoted + " holds a path separator";
    }
    if (name.find(',') != std::string::npos) {
        return quoted + " holds a comma, which separates the names in the port list";
    }
    return quoted + " cannot be a file in the port directory (printable ASCII, no < > : \" | ? * "
                    "and no device name such as COM1 or NUL, nor a dot or blank at its end)";
}

std::string portUrlProblem(const std::string &url)
{
    const std::string usage = ": use socket://HOST:PORT or rfc2217://HOST:PORT, with a port of 1 "
                              "to 65535 (an IPv6 address in brackets)";
    if (!kivra::isNetworkName(url)) {
        return "'" + url + "' is not a network port" + usage;
    }
    if (url.find_first_of("\r\n") != std::string::npos) {
        return "the URL is more than one line";
    }
    // The library's own parse, and what an entry's reader takes back.
    if (!kivra::parseNetAddress(url, nullptr) ||
        kivra::networkEntryUrl(kivra::networkEntryText(url)) != url) {
        return "'" + url + "' is not a URL the library opens" + usage;
    }
    return std::string();
}

} // namespace kivracli
