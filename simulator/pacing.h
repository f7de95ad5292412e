// The clock helpers that pace bytes on the line (pacing_posix.cpp,
// pacing_win.cpp).
#ifndef KIVRA_SIM_PACING_H
#define KIVRA_SIM_PACING_H

#include <chrono>

namespace kivrasim {

// Sleeps until the given instant of the steady clock with sub-millisecond
// precision (absolute deadline, so repeated waits do not drift).
void sleepUntil(std::chrono::steady_clock::time_point deadline);

// Lets this thread's timers fire on time instead of being batched by the
// system's default timer slack or tick.
void useFineTimerSlack();

} // namespace kivrasim

#endif
