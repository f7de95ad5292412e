#include "ports_posix.h"

#include "portlist.h"
#include "serial.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kivra {

namespace {

constexpr const char *kSysRoot = "/sys";
constexpr const char *kDevDir = "/dev/";
constexpr const char *kSerialBaseBus = "serial-base";
// The type a serial core port reports when no UART answered at its address.
constexpr const char *kUnknownUartType = "0";

std::vector<std::string> directoryEntries(const std::string &dir)
{
    std::vector<std::string> names;
    DIR *stream = opendir(dir.c_str());
    if (!stream) {
        return names;
    }
    while (const dirent *entry = readdir(stream)) {
        if (entry->d_name[0] != '.') {
            names.emplace_back(entry->d_name);
        }
    }
    closedir(stream);
    return names;
}

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

bool hasHardware(const std::string &ttyDir)
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

void sortPortNames(std::vector<std::string> &names)
{
    std::sort(names.begin(), names.end(), portNameLess);
}

} // namespace

std::string resolvePortPath(const std::string &name)
{
    if (name.empty()) {
        return std::string();
    }
    if (name.front() == '/') {
        return name;
    }
    // A bare name must not climb out of the port directories.
    if (name.find('/') != std::string::npos) {
        return std::string();
    }
    const std::string published = virtualPortDirectory() + "/" + name;
    struct stat info;
    if (lstat(published.c_str(), &info) == 0) {
        return published;
    }
    return kDevDir + name;
}

std::vector<std::string> listSysfsPorts(const std::string &sysRoot)
{
    const std::string classDir = sysRoot + "/class/tty";
    std::vector<std::string> ports;
    for (const std::string &name : directoryEntries(classDir)) {
        if (hasHardware(classDir + "/" + name)) {
            ports.push_back(name);
        }
    }
    sortPortNames(ports);
    return ports;
}

std::vector<std::string> listVirtualPorts(const std::string &dir)
{
    std::vector<std::string> ports;
    for (const std::string &name : directoryEntries(dir)) {
        // A comma would split the name in the list; a dangling link is a
        // simulator that is gone.
        struct stat info;
        if (name.find(',') == std::string::npos && stat((dir + "/" + name).c_str(), &info) == 0 &&
            S_ISCHR(info.st_mode)) {
            ports.push_back(name);
        }
    }
    sortPortNames(ports);
    return ports;
}

int enumeratePorts(char *buffer, int size)
{
    std::vector<std::string> names = listSysfsPorts(kSysRoot);
    const std::vector<std::string> published = listVirtualPorts(virtualPortDirectory());
    names.insert(names.end(), published.begin(), published.end());
    return formatPortList(names, buffer, size);
}

} // namespace kivra
