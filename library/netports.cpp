#include "netports.h"

#include "netport.h"

#include <map>
#include <mutex>
#include <set>

namespace kivra {

namespace {

// Network handles count up from here, so they never meet the descriptors
// and counters of local ports, and a closed one is not soon handed out again.
constexpr int kFirstNetHandle = 1 << 30;

struct Entry
{
    std::shared_ptr<NetPort> port;
    std::string key;
};

struct Registry
{
    std::mutex mutex;
    std::map<int, Entry> entries;
    std::set<std::string> claimed; // servers held, by netAddressKey()
    int next = kFirstNetHandle;
};

Registry &registry()
{
    static Registry r;
    return r;
}

std::shared_ptr<NetPort> portOf(int handle)
{
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    const auto it = r.entries.find(handle);
    return it == r.entries.end() ? nullptr : it->second.port;
}

void forget(int handle)
{
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    const auto it = r.entries.find(handle);
    if (it != r.entries.end()) {
        r.claimed.erase(it->second.key);
        r.entries.erase(it);
    }
}

void forgetIfLost(int handle, const NetPort &port)
{
    if (port.lost()) {
        forget(handle);
    }
}

} // namespace

int openNetPort(const std::string &name)
{
    NetAddress address;
    if (!parseNetAddress(name, &address)) {
        return -1;
    }
    const std::string key = netAddressKey(address);
    Registry &r = registry();
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        if (!r.claimed.insert(key).second) {
            return -1;
        }
    }
    std::shared_ptr<NetPort> port = NetPort::open(address, NetClock::now() + kNetOpenBudget);
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!port) {
        r.claimed.erase(key);
        return -1;
    }
    const int handle = r.next;
    r.next = r.next == INT32_MAX ? kFirstNetHandle : r.next + 1;
    r.entries[handle] = Entry{port, key};
    return handle;
}

bool isNetHandle(int handle)
{
    return portOf(handle) != nullptr;
}

int netWriteFrame(int handle, const uint8_t *bytes, int count)
{
    const std::shared_ptr<NetPort> port = portOf(handle);
    if (!port) {
        return 0;
    }
    port->discardInput();
    const int written = port->write(bytes, count);
    forgetIfLost(handle, *port);
    return written;
}

int netReadReply(int handle, uint8_t *target, int wanted, int attempts)
{
    const std::shared_ptr<NetPort> port = portOf(handle);
    if (!port) {
        return -1;
    }
    const int received = port->read(target, wanted, attempts);
    forgetIfLost(handle, *port);
    return received;
}

void closeNetPort(int handle)
{
    forget(handle);
}

} // namespace kivra
