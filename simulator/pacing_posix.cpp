#include "pacing.h"

#include "kivra_posixtime.h"

#include <cerrno>
#include <time.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace kivrasim {

void sleepUntil(std::chrono::steady_clock::time_point deadline)
{
    // steady_clock is CLOCK_MONOTONIC on the platforms this runs on.
    const timespec ts = kivra::toTimespec(deadline.time_since_epoch());
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
