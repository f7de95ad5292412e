// Windows sleeps in whole ticks of its timer, 1 ms at best: the last stretch
// before a deadline is spent yielding the processor instead, so that bytes
// go out a byte time apart (95 us at 115200 baud 8N2).
#include "pacing.h"

#include <windows.h>

#include <thread>

namespace kivrasim {

namespace {
// Sleep(1) may take up to two ticks.
constexpr auto kSpinMargin = std::chrono::milliseconds(2);
} // namespace

void sleepUntil(std::chrono::steady_clock::time_point deadline)
{
    using Clock = std::chrono::steady_clock;
    for (auto left = deadline - Clock::now(); left > Clock::duration::zero();
         left = deadline - Clock::now()) {
        if (left > kSpinMargin) {
            Sleep(static_cast<DWORD>(
                std::chrono::duration_cast<std::chrono::milliseconds>(left - kSpinMargin).count() +
                1));
        } else {
            std::this_thread::yield();
        }
    }
}

void useFineTimerSlack()
{
    // Raises the system's timer to 1 ms for this process; the system puts it
    // back when the process ends.
    static const bool raised = timeBeginPeriod(1) == TIMERR_NOERROR;
    (void)raised;
}

} // namespace kivrasim
