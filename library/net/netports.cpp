#include "netports.h"

#include "handles.h"
#include "netport.h"

#include <mutex>
#include <set>

namespace kivra {

namespace {

// The servers this process holds, by netAddressKey(), so that one server is
// opened once whatever the spelling of its name, as a local port is.
struct Claims
{
    std::mutex mutex;
    std::set<std::string> held;
};

Claims &claims()
{
    static Claims c;
    return c;
}

bool claim(const std::string &key)
{
    std::lock_guard<std::mutex> lock(claims().mutex);
    return claims().held.insert(key).second;
}

void unclaim(const std::string &key)
{
    std::lock_guard<std::mutex> lock(claims().mutex);
    claims().held.erase(key);
}

} // namespace

int openNetPort(const std::string &name)
{
    NetAddress address;
    if (!parseNetAddress(name, &address)) {
        return -1;
    }
    const std::string key = netAddressKey(address);
    if (!claim(key)) {
        return -1;
    }
    std::unique_ptr<NetPort> port =
        NetPort::open(address, NetClock::now() + kNetOpenBudget, [key] { unclaim(key); });
    if (!port) {
        return -1;
    }
    return addPort(std::move(port));
}

} // namespace kivra
