#include "ttydevice_linux.h"

#include "kivra_portdir.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace kivra {

namespace {

// Unix98 pseudo-terminal slaves use the eight majors from 136.
constexpr unsigned kPtySlaveMajorFirst = 136;
constexpr unsigned kPtySlaveMajorCount = 8;
constexpr const char *kSerialBaseBus = "serial-base";
constexpr const char *kTtySubsystem = "tty";
// The type a serial core port reports when no UART answered at its address.
constexpr const char *kUnknownUartType = "0";
// Fields of /proc/self/stat between the command name and tty_nr: state,
// ppid, pgrp, session.
constexpr int kFieldsBeforeTty = 4;

// The last path component of a symbolic link's target, or "" when path is
// not a link.
std::string linkTargetName(const std::string &path)
{
    char target[PATH_MAX];
    const ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
    if (length <= 0) {
        return std::string();
    }
    const std::string text(target, static_cast<size_t>(length));
    return text.substr(text.find_last_of('/') + 1);
}

std::string firstLine(const std::string &path)
{
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

std::string parentPath(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

} // namespace

bool hasSerialHardware(const std::string &ttyDir)
{
    // Consoles, pseudo-terminals and other software ttys have no device.
    char resolved[PATH_MAX];
    if (!realpath((ttyDir + "/device").c_str(), resolved)) {
        return false;
    }
    // From Linux 6.3 a serial core port's device is a serial-base "port"
    // below a serial-base "ctrl"; the driver that owns the hardware sits
    // above both.
    std::string device = resolved;
    while (device != "/" && linkTargetName(device + "/subsystem") == kSerialBaseBus) {
        device = parentPath(device);
    }
    if (linkTargetName(device + "/driver").empty()) {
        return false;
    }
    // The legacy 8250 driver registers every ISA slot whether or not a UART
    // is there; the empty ones report an unknown type.
    return firstLine(ttyDir + "/type") != kUnknownUartType;
}

TtyKind ttyKind(dev_t device, const std::string &sysRoot)
{
    const unsigned majorNumber = major(device);
    if (majorNumber >= kPtySlaveMajorFirst &&
        majorNumber < kPtySlaveMajorFirst + kPtySlaveMajorCount) {
        return TtyKind::PseudoTerminal;
    }
    const std::string node =
        sysRoot + "/dev/char/" + std::to_string(majorNumber) + ":" + std::to_string(minor(device));
    if (linkTargetName(node + "/subsystem") != kTtySubsystem) {
        return TtyKind::Other;
    }
    return hasSerialHardware(node) ? TtyKind::SerialPort : TtyKind::Other;
}

dev_t controllingTerminal()
{
    // The command name in parentheses may itself hold spaces and
    // parentheses; the fields after the last ")" are plain numbers.
    std::ifstream file("/proc/self/stat");
    std::string line;
    std::getline(file, line);
    const size_t end = line.rfind(')');
    if (end == std::string::npos) {
        return 0;
    }
    std::istringstream fields(line.substr(end + 1));
    std::string field;
    for (int i = 0; i < kFieldsBeforeTty && fields >> field; ++i) {
    }
    long long ttyNumber = 0;
    if (!(fields >> ttyNumber) || ttyNumber <= 0) {
        return 0;
    }
    // tty_nr packs the minor's low byte below the major and its high bits
    // above, the kernel's old encoding.
    const auto bits = static_cast<unsigned long long>(ttyNumber);
    return makedev((bits >> 8) & 0xfff, (bits & 0xff) | ((bits >> 12) & 0xfff00));
}

} // namespace kivra
