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

} // namespace

bool parseHostAndPort(const std::string &text, std::string *host, uint16_t *port)
{
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        return false;
    }
    std::string name = text.substr(0, colon);
    if (name.front() == '[') {
        if (name.size() < 3 || name.back() != ']') {
            return false;
        }
        name = name.substr(1, name.size() - 2);
    } else if (name.find(':') != std::string::npos) {
        return false; // an IPv6 literal goes in brackets
    }
    const std::string digits = text.substr(colon + 1);
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
    if (value > kMaxTcpPort) {
        return false;
    }
    *host = name;
    *port = static_cast<uint16_t>(value);
    return true;
}

bool parseNetAddress(const std::string &name, NetAddress *address)
{
    for (const SchemeName &s : kSchemes) {
        if (!startsWith(name, s.prefix)) {
            continue;
        }
        NetAddress parsed;
        parsed.scheme = s.scheme;
        const std::string rest = name.substr(std::char_traits<char>::length(s.prefix));
        // Port 0 means "any free port" to a listener; a server has a real one.
        if (!parseHostAndPort(rest, &parsed.host, &parsed.port) || parsed.port == 0) {
            return false;
        }
        if (parsed.host.empty() || parsed.host.size() > kMaxHostChars) {
            return false;
        }
        const bool bracketed = rest.front() == '[';
        for (char c : parsed.host) {
            if (!hostCharAllowed(c, bracketed)) {
                return false;
            }
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
