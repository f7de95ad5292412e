#include "neturl.h"

#include <cctype>

namespace kivra {

namespace {

struct SchemeName
{
    NetScheme scheme;
    const char *prefix;
};

constexpr SchemeName kSchemes[] = {
    {NetScheme::RawSocket, kRawSocketScheme},
    {NetScheme::Rfc2217, kRfc2217Scheme},
};

constexpr unsigned long kMaxTcpPort = 65535;
constexpr size_t kMaxPortDigits = 5;
// Longest DNS name; longer hosts are mistakes, not servers.
constexpr size_t kMaxHostChars = 253;

bool startsWith(const std::string &text, const char *prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool hostCharAllowed(char c, bool bracketed)
{
    const auto u = static_cast<unsigned char>(c);
    if (u <= ' ' || u >= 0x7F) {
        return false;
    }
    if (c == '/' || c == '[' || c == ']' || c == '@' || c == '?' || c == '#') {
        return false;
    }
    return bracketed || c != ':';
}

bool parsePort(const std::string &digits, uint16_t *port)
{
    if (digits.empty() || digits.size() > kMaxPortDigits) {
        return false;
    }
    unsigned long value = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    if (value == 0 || value > kMaxTcpPort) {
        return false;
    }
    *port = static_cast<uint16_t>(value);
    return true;
}

} // namespace

bool parseNetAddress(const std::string &name, NetAddress *address)
{
    for (const SchemeName &s : kSchemes) {
        if (!startsWith(name, s.prefix)) {
            continue;
        }
        const std::string rest = name.substr(std::char_traits<char>::length(s.prefix));
        std::string host;
        size_t colon = std::string::npos;
        bool bracketed = false;
        if (!rest.empty() && rest.front() == '[') {
            const size_t close = rest.find(']');
            if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':') {
                return false;
            }
            host = rest.substr(1, close - 1);
            colon = close + 1;
            bracketed = true;
        } else {
            colon = rest.find(':');
            if (colon == std::string::npos) {
                return false;
            }
            host = rest.substr(0, colon);
        }
        if (host.empty() || host.size() > kMaxHostChars) {
            return false;
        }
        for (char c : host) {
            if (!hostCharAllowed(c, bracketed)) {
                return false;
            }
        }
        NetAddress parsed;
        parsed.scheme = s.scheme;
        parsed.host = host;
        if (!parsePort(rest.substr(colon + 1), &parsed.port)) {
            return false;
        }
        if (address) {
            *address = parsed;
        }
        return true;
    }
    return false;
}

std::string netAddressKey(const NetAddress &address)
{
    std::string host = address.host;
    for (char &c : host) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const char *scheme = address.scheme == NetScheme::Rfc2217 ? "rfc2217" : "socket";
    return std::string(scheme) + " " + host + " " + std::to_string(address.port);
}

} // namespace kivra
