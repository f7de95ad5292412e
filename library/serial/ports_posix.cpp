#include "ports_posix.h"

#include "portlist.h"
#include "serial.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kivra {

namespace {

constexpr const char *kSysRoot = "/sys";
constexpr const char *kDevDir = "/dev/";

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

void sortPortNames(std::vector<std::string> &names)
{
    std::sort(names.begin(), names.end(), portNameLess);
}

} // namespace

std::string resolvePortPath(const std::string &name, dev_t *device)
{
    if (device) {
        *device = 0;
    }
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
    // A directory that fails the check is not used at all; in one that
    // passes, an entry that does not count is refused rather than looked up
    // in /dev under the same name.
    const std::string dir = virtualPortDirectory();
    if (checkPortDirectory(dir) == PortDirStatus::Usable) {
        struct stat info;
        if (fstatat(AT_FDCWD, (dir + "/" + name).c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
            const PortEntry entry = classifyPortEntry(dir, name);
            if (entry.kind == PortEntryKind::None) {
                return std::string();
            }
            if (device) {
                *device = entry.device;
            }
            return entry.target;
        }
    }
    return kDevDir + name;
}

std::vector<std::string> listSysfsPorts(const std::string &sysRoot)
{
    const std::string classDir = sysRoot + "/class/tty";
    std::vector<std::string> ports;
    for (const std::string &name : directoryEntries(classDir)) {
        if (hasSerialHardware(classDir + "/" + name)) {
            ports.push_back(name);
        }
    }
    sortPortNames(ports);
    return ports;
}

std::vector<std::string> listVirtualPorts(const std::string &dir)
{
    std::vector<std::string> ports;
    for (const std::string &name : listPortEntries(dir)) {
        // A comma would split the name in the list.
        if (name.find(',') == std::string::npos) {
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
