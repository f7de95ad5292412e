#include "handles.h"

#include <climits>
#include <condition_variable>
#include <map>
#include <mutex>

namespace kivra {

struct HandleEntry
{
    explicit HandleEntry(HeldPort p) : held(std::move(p)) {}
    HeldPort held;
    ExchangeState state;
    // One exchange at a time per port.
    std::mutex exchange;
    // Leases taken and not yet released; guarded by the table mutex.
    int inUse = 0;
};

namespace {

struct Table
{
    std::mutex mutex;
    std::condition_variable released;
    std::map<int, std::shared_ptr<HandleEntry>> entries;
    int lastHandle = 0;
};

// Function-local so the table exists before any caller in a static
// initialiser of another translation unit needs it.
Table &table()
{
    static Table instance;
    return instance;
}

} // namespace

PortLease::PortLease(std::shared_ptr<HandleEntry> entry) : entry_(std::move(entry))
{
    entry_->exchange.lock();
}

PortLease::PortLease(PortLease &&other) noexcept : entry_(std::move(other.entry_)) {}

PortLease::~PortLease()
{
    if (!entry_) {
        return;
    }
    entry_->exchange.unlock();
    Table &t = table();
    {
        std::lock_guard<std::mutex> lock(t.mutex);
        --entry_->inUse;
    }
    t.released.notify_all();
}

Port &PortLease::port() const
{
    return *entry_->held.port;
}

ExchangeState &PortLease::state() const
{
    return entry_->state;
}

int addPort(HeldPort held)
{
    if (!held.port) {
        return -1;
    }
    Table &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    do {
        t.lastHandle = t.lastHandle == INT_MAX ? 1 : t.lastHandle + 1;
    } while (t.entries.count(t.lastHandle) != 0);
    t.entries.emplace(t.lastHandle, std::make_shared<HandleEntry>(std::move(held)));
    return t.lastHandle;
}

PortLease leasePort(int handle)
{
    std::shared_ptr<HandleEntry> entry;
    {
        Table &t = table();
        std::lock_guard<std::mutex> lock(t.mutex);
        const auto it = t.entries.find(handle);
        if (it == t.entries.end()) {
            return PortLease();
        }
        entry = it->second;
        ++entry->inUse;
    }
    // Waits outside the table mutex, so other handles stay free meanwhile.
    return PortLease(std::move(entry));
}

HeldPort removePort(int handle)
{
    Table &t = table();
    std::unique_lock<std::mutex> lock(t.mutex);
    const auto it = t.entries.find(handle);
    if (it == t.entries.end()) {
        return HeldPort();
    }
    std::shared_ptr<HandleEntry> entry = it->second;
    t.entries.erase(it);
    t.released.wait(lock, [&entry] { return entry->inUse == 0; });
    return std::move(entry->held);
}

} // namespace kivra
