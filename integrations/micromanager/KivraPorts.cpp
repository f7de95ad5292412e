#include "KivraPorts.h"

#include <KivraLibrary.h>
#include <KivraPortList.h>

namespace kivramm {

std::vector<std::string> listedPorts()
{
    std::vector<std::string> names;
    kivra::listPortNames(&names);
    return names;
}

std::string joinPorts(const std::vector<std::string> &names)
{
    std::string list;
    for (const std::string &name : names) {
        list += (list.empty() ? "" : ",") + name;
    }
    return list;
}

bool controllerAnswers(const std::string &port)
{
    const int handle = openSerial(port.c_str());
    if (handle <= 0) {
        return false;
    }
    // Zero-filled and longer than the 32-byte field.
    char name[KIVRA_TEXT_FIELD_SIZE + 1] = {0};
    const bool ok = getDeviceName(handle, name, KIVRA_TEXT_FIELD_SIZE) == KIVRA_OK;
    closeSerial(handle);
    return ok;
}

} // namespace kivramm
