// What adding and removing an entry by hand checks first on every platform,
// and the lines the platforms' editing says alike.
#include "kivra_portedit.h"

#include "kivra_portdir.h"
#include "portedit_platform.h"

namespace kivra {

std::string nameTakenLine(const std::string &dir, const std::string &name)
{
    return "port name " + name + " is taken (" + portEntryPath(dir, name) + ")";
}

std::string noPortLine(const std::string &dir, const std::string &name)
{
    return "no port " + name + " in the port directory " + dir;
}

std::string heldByPublisherLine(const std::string &name)
{
    return "port " + name + " is published by a running simulator; it goes when the simulator ends";
}

EntryEdit addNetworkEntry(const std::string &dir, const std::string &name, const std::string &url,
                          std::string &error)
{
    if (!preparePortDirectory(dir, error)) {
        return EntryEdit::Failed;
    }
    if (hasPortEntry(dir, name)) {
        error = nameTakenLine(dir, name);
        return EntryEdit::Taken;
    }
    return writeNetworkEntry(dir, name, url, error);
}

EntryEdit removePortEntry(const std::string &dir, const std::string &name, std::string &error)
{
    const PortDirStatus status = checkPortDirectory(dir);
    if (status != PortDirStatus::Usable && status != PortDirStatus::Missing) {
        error = describePortDirStatus(dir, status);
        return EntryEdit::Failed;
    }
    if (status == PortDirStatus::Missing || !isEntryName(name)) {
        error = noPortLine(dir, name);
        return EntryEdit::Missing;
    }
    return removeEntryFile(dir, name, error);
}

} // namespace kivra
