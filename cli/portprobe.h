// What the system knows of a port beyond the library's answer: why an open
// failed, and where a port leads. One implementation per platform.
#ifndef KIVRA_CLI_PORTPROBE_H
#define KIVRA_CLI_PORTPROBE_H

#include <string>
#include <utility>
#include <vector>

namespace kivracli {

// One line saying why the port cannot be opened: absent, in use (by which
// process where the system tells), no permission (with the remedy), or not a
// serial port.
std::string diagnoseOpenFailure(const std::string &name);

// Facts about a port as (key, value) pairs: device path, link target for a
// virtual port, driver, USB vendor:product and serial number.
std::vector<std::pair<std::string, std::string>> portDetails(const std::string &name);

} // namespace kivracli

#endif
