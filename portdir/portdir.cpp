// What every platform's port directory does alike around its own check and
// creation (portdir_platform.h): the line that says why a directory cannot
// be used, and making one ready.
#include "kivra_portdir.h"

#include "portdir_platform.h"

namespace kivra {

std::string describePortDirStatus(const std::string &dir, PortDirStatus status)
{
    switch (status) {
    case PortDirStatus::Usable:
        return "port directory " + dir + " is usable";
    case PortDirStatus::Missing:
        return "port directory " + dir + " does not exist";
    case PortDirStatus::NotADirectory:
        return "port directory " + dir + " " + kNotADirectoryWords;
    case PortDirStatus::NotOwned:
        return "port directory " + dir + " belongs to another user";
    case PortDirStatus::OpenToOthers:
        return "port directory " + dir + " " + kOpenToOthersWords;
    case PortDirStatus::Unreadable:
        return "port directory " + dir + " cannot be read";
    }
    return "port directory " + dir + " cannot be used";
}

bool preparePortDirectory(const std::string &dir, std::string &error, const PortTrust &trust)
{
    PortDirStatus status = checkPortDirectory(dir, trust);
    if (status == PortDirStatus::Missing) {
        if (!makePortDirectory(dir, error, trust)) {
            return false;
        }
        status = checkPortDirectory(dir, trust);
    }
    if (status != PortDirStatus::Usable) {
        error = describePortDirStatus(dir, status) + "; not using it";
        return false;
    }
    return true;
}

} // namespace kivra
