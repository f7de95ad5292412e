/*
 * KivraPortList: listPorts() as a list of names, for the programs that offer
 * the ports (the kivra tool, the Micro-Manager adapter; the Python package
 * takes the same buffer size through its vocabulary module).
 *
 *     std::vector<std::string> names;
 *     if (kivra::listPortNames(&names) < 0)
 *         ... // the system's list could not be read
 *
 * C++17, header only, nothing exported.
 */
#ifndef KIVRA_PORT_LIST_H
#define KIVRA_PORT_LIST_H

#include "KivraLibrary.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace kivra {

// Room for the names of every port a machine is likely to have; a list that
// would not fit ends at the last name that does.
inline constexpr int kPortListBytes = 4096;

// "ttyS0,ttyUSB0,SIM1" as its names, in order; empty names are skipped.
inline std::vector<std::string> splitPortList(std::string_view list)
{
    std::vector<std::string> names;
    while (!list.empty()) {
        const size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        if (!name.empty())
            names.emplace_back(name);
        list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
    }
    return names;
}

// Sets *names to the ports listPorts() gives (left alone when it gives
// none) and returns its result: the count of names, or a negative result.
inline int listPortNames(std::vector<std::string> *names)
{
    std::vector<char> buffer(kPortListBytes, '\0');
    const int count = listPorts(buffer.data(), kPortListBytes);
    if (count > 0) {
        // The list ends at its zero byte, or at the end of a full buffer.
        const auto end = std::find(buffer.begin(), buffer.end(), '\0');
        *names = splitPortList(std::string_view(buffer.data(), size_t(end - buffer.begin())));
    }
    return count;
}

} // namespace kivra

#endif /* KIVRA_PORT_LIST_H */
