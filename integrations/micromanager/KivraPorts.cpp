#include "KivraPorts.h"

#include <KivraLibrary.h>

namespace kivramm {

namespace {

constexpr int kPortListBytes = 4096;

} // namespace

std::vector<std::string> listedPorts()
{
    std::vector<char> buffer(kPortListBytes, 0);
    std::vector<std::string> names;
    if (listPorts(buffer.data(), kPortListBytes) <= 0) {
        return names;
    }
    const std::string list(buffer.data());
    size_t start = 0;
    while (start < list.size()) {
        const size_t end = list.find(',', start);
        const size_t stop = end == std::string::npos ? list.size() : end;
        if (stop > start) {
            names.push_back(list.substr(start, stop - start));
        }
        start = stop + 1;
    }
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
