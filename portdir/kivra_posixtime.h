// A span of std::chrono time as the timespec that POSIX waits take (ppoll's
// time-out, clock_nanosleep's deadline on CLOCK_MONOTONIC, which is
// steady_clock's epoch here). Shared by the library's waits and the
// simulator's.
#ifndef KIVRA_POSIXTIME_H
#define KIVRA_POSIXTIME_H

#include <chrono>
#include <time.h>

namespace kivra {

inline timespec toTimespec(std::chrono::nanoseconds span)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(span);
    timespec value{};
    value.tv_sec = static_cast<time_t>(seconds.count());
    value.tv_nsec = static_cast<long>((span - seconds).count());
    return value;
}

} // namespace kivra

#endif
