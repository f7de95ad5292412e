#include "portlist.h"

#include "kivra_portdir.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace kivra {

namespace {

constexpr char kSeparator = ',';

bool isDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

} // namespace

int formatPortList(const std::vector<std::string> &names, char *buffer, int size)
{
    if (!buffer || size <= 0) {
        return -1;
    }
    std::memset(buffer, 0, static_cast<size_t>(size));
    const auto capacity = static_cast<size_t>(size);
    size_t used = 0;
    int taken = 0;
    for (const std::string &name : names) {
        if (used + name.size() + 1 >= capacity) {
            break;
        }
        std::memcpy(buffer + used, name.data(), name.size());
        used += name.size();
        buffer[used++] = kSeparator;
        ++taken;
    }
    if (taken > 0) {
        buffer[used - 1] = '\0';
    }
    return taken;
}

int formatPortList(const std::vector<std::string> *machine,
                   const std::vector<std::string> &published, char *buffer, int size)
{
    if (!machine && published.empty()) {
        if (buffer && size > 0) {
            std::memset(buffer, 0, static_cast<size_t>(size));
        }
        return -1;
    }
    std::vector<std::string> names = machine ? *machine : std::vector<std::string>();
    names.insert(names.end(), published.begin(), published.end());
    return formatPortList(names, buffer, size);
}

std::vector<std::string> listVirtualPorts(const std::string &dir)
{
    std::vector<std::string> ports = listPortEntries(dir);
    std::sort(ports.begin(), ports.end(), portNameLess);
    return ports;
}

bool portNameLess(const std::string &a, const std::string &b)
{
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Compare the digit runs by value: skip leading zeros, then the
            // longer run is larger, then the first differing digit decides.
            while (i < a.size() && a[i] == '0') {
                ++i;
            }
            while (j < b.size() && b[j] == '0') {
                ++j;
            }
            size_t endA = i;
            size_t endB = j;
            while (endA < a.size() && isDigit(a[endA])) {
                ++endA;
            }
            while (endB < b.size() && isDigit(b[endB])) {
                ++endB;
            }
            if (endA - i != endB - j) {
                return endA - i < endB - j;
            }
            const int order = a.compare(i, endA - i, b, j, endB - j);
            if (order != 0) {
                return order < 0;
            }
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j]) {
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        }
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j) {
        return a.size() - i < b.size() - j;
    }
    // Equal by value ("ttyS01" and "ttyS1"): fall back to bytes for a strict order.
    return a < b;
}

} // namespace kivra
