// What the system knows of a port beyond the library's answer: why an open
// failed, and where a port leads. What a name stands for is the library's
// rule (portprobe.cpp); what the system says of a device is the platform's
// (portprobe_posix.cpp, portprobe_win.cpp).
#ifndef KIVRA_CLI_PORTPROBE_H
#define KIVRA_CLI_PORTPROBE_H

#include <string>
#include <utility>
#include <vector>

namespace kivracli {

using PortFacts = std::vector<std::pair<std::string, std::string>>;

// One line saying why the port cannot be opened: absent, in use (by which
// process where the system tells), no permission (with the remedy), or not a
// serial port.
std::string diagnoseOpenFailure(const std::string &name);

// Facts about a port as (key, value) pairs: device path, link target for a
// virtual port, driver, USB vendor:product and serial number.
PortFacts portDetails(const std::string &name);

// Whether the system has a device of its own under name, listed or not
// (POSIX: /dev/NAME; Windows: an MS-DOS device name such as COM3).
bool isMachinePort(const std::string &name);

// The platform's part: why the device or entry at path, which name leads
// to, would not open; and its facts beyond the path.
std::string diagnoseDevice(const std::string &name, const std::string &path);
void addDeviceDetails(const std::string &path, PortFacts *details);

} // namespace kivracli

#endif
