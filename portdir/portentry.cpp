// What every platform's port directory shares: the text of a network entry
// and the name of a publisher's lock.
#include "kivra_portdir.h"

#include "kivra_portname.h"

#include <cstring>

namespace kivra {

namespace {

constexpr const char *kLockPrefix = ".";
constexpr const char *kLockSuffix = ".lock";

} // namespace

std::string networkEntryUrl(const std::string &text)
{
    if (text.size() > kMaxEntryBytes) {
        return std::string();
    }
    std::string url = text;
    while (!url.empty() && (url.back() == '\n' || url.back() == '\r' || url.back() == ' ')) {
        url.pop_back();
    }
    for (char c : url) {
        if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7F) {
            return std::string();
        }
    }
    for (const char *scheme : kNetworkSchemes) {
        if (url.compare(0, std::strlen(scheme), scheme) == 0 && url.size() > std::strlen(scheme)) {
            return url;
        }
    }
    return std::string();
}

std::string networkEntryText(const std::string &url)
{
    return url + "\n";
}

std::string portLockName(const std::string &name)
{
    return kLockPrefix + name + kLockSuffix;
}

std::string portNameOfLock(const std::string &file)
{
    const size_t prefix = std::strlen(kLockPrefix);
    const size_t suffix = std::strlen(kLockSuffix);
    if (file.size() <= prefix + suffix || file.compare(0, prefix, kLockPrefix) != 0 ||
        file.compare(file.size() - suffix, suffix, kLockSuffix) != 0) {
        return std::string();
    }
    return file.substr(prefix, file.size() - prefix - suffix);
}

} // namespace kivra
