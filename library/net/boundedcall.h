// Runs a blocking call that has no time-out of its own (name resolution) on a
// thread and waits for it only until a deadline. When the wait gives up, the
// thread runs on to its end alone: it owns everything it touches.
#ifndef KIVRA_BOUNDEDCALL_H
#define KIVRA_BOUNDEDCALL_H

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace kivra {

template <class Result, class Work>
bool callWithin(Work work, std::chrono::steady_clock::time_point deadline, Result *result)
{
    struct Shared
    {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        Result value{};
    };
    auto shared = std::make_shared<Shared>();
    try {
        std::thread([shared, work]() {
            Result value = work();
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->value = std::move(value);
            shared->done = true;
            shared->finished.notify_all();
        }).detach();
    } catch (...) {
        return false;
    }
    std::unique_lock<std::mutex> lock(shared->mutex);
    if (!shared->finished.wait_until(lock, deadline, [&shared] { return shared->done; })) {
        return false;
    }
    *result = std::move(shared->value);
    return true;
}

} // namespace kivra

#endif
