#include "pacing.h"

#include <cerrno>
#include <time.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace kivrasim {

namespace {
constexpr long kNanosPerSecond = 1000000000L;
} // namespace

void sleepUntil(std::chrono::steady_clock::time_point deadline)
{
    // steady_clock is CLOCK_MONOTONIC on the platforms this runs on.
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch()).count();
    timespec ts{};
    ts.tv_sec = time_t(ns / kNanosPerSecond);
    ts.tv_nsec = static_cast<long>(ns % kNanosPerSecond);
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

void useFineTimerSlack()
{
#ifdef __linux__
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
}

} // namespace kivrasim
