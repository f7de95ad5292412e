// One open per port within this process, for every kind of port: the port
// layer claims a port under one spelling of it (its key) before the
// transport opens it, and releases the claim after the port has closed. The
// system's own lock, where there is one, keeps other processes out beside it.
#ifndef KIVRA_CLAIMS_H
#define KIVRA_CLAIMS_H

#include <cstdint>
#include <functional>
#include <string>

namespace kivra {

class PortClaim
{
public:
    PortClaim() = default;
    PortClaim(PortClaim &&other) noexcept;
    PortClaim &operator=(PortClaim &&other) noexcept;
    PortClaim(const PortClaim &) = delete;
    PortClaim &operator=(const PortClaim &) = delete;
    ~PortClaim() { release(); }

    // Claims key; an empty claim when this process holds it already.
    static PortClaim take(const std::string &key);

    explicit operator bool() const { return id_ != 0; }

    // Lets the next open of the port in. A claim released once, by itself or
    // through releaser(), never releases a later claim of the same key.
    void release();

    // Releases this claim when called, from any thread and any number of
    // times: for a port that stops holding its far end before it is closed.
    std::function<void()> releaser() const;

private:
    PortClaim(std::string key, uint64_t id) : key_(std::move(key)), id_(id) {}

    std::string key_;
    uint64_t id_ = 0;
};

} // namespace kivra

#endif
