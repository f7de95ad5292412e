#include "claims.h"

#include <map>
#include <mutex>
#include <utility>

namespace kivra {

namespace {

// The keys held, each with the id of the claim that holds it.
struct Registry
{
    std::mutex mutex;
    std::map<std::string, uint64_t> held;
    uint64_t lastId = 0;
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

void releaseClaim(const std::string &key, uint64_t id)
{
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    const auto it = r.held.find(key);
    if (it != r.held.end() && it->second == id) {
        r.held.erase(it);
    }
}

} // namespace

PortClaim::PortClaim(PortClaim &&other) noexcept
    : key_(std::move(other.key_)), id_(std::exchange(other.id_, 0))
{
}

PortClaim &PortClaim::operator=(PortClaim &&other) noexcept
{
    if (this != &other) {
        release();
        key_ = std::move(other.key_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

PortClaim PortClaim::take(const std::string &key)
{
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    const uint64_t id = ++r.lastId;
    if (!r.held.emplace(key, id).second) {
        return PortClaim();
    }
    return PortClaim(key, id);
}

void PortClaim::release()
{
    if (id_ != 0) {
        releaseClaim(key_, std::exchange(id_, 0));
    }
}

std::function<void()> PortClaim::releaser() const
{
    return [key = key_, id = id_] { releaseClaim(key, id); };
}

} // namespace kivra
