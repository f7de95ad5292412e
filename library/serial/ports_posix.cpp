#include "ports_posix.h"

#include "portlist.h"
#include "ports.h"

#include <algorithm>
#include <dirent.h>

namespace kivra {

namespace {

constexpr const char *kSysRoot = "/sys";

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

} // namespace

std::vector<std::string> listSysfsPorts(const std::string &sysRoot)
{
    const std::string classDir = sysRoot + "/class/tty";
    std::vector<std::string> ports;
    for (const std::string &name : directoryEntries(classDir)) {
        if (hasSerialHardware(classDir + "/" + name)) {
            ports.push_back(name);
        }
    }
    std::sort(ports.begin(), ports.end(), portNameLess);
    return ports;
}

int enumeratePorts(char *buffer, int size)
{
    const std::vector<std::string> machine = listSysfsPorts(kSysRoot);
    return formatPortList(&machine, listVirtualPorts(virtualPortDirectory()), buffer, size);
}

} // namespace kivra
