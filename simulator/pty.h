// The pseudo-terminal that stands in for the controller's end of the cable,
// and the clock helpers that pace bytes on it.
#ifndef KIVRA_SIM_PTY_H
#define KIVRA_SIM_PTY_H

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kivrasim {

struct Pty
{
    int master = -1;
    // Held open while serving: without any slave open the master reports
    // POLLHUP (and reads fail) whenever no host has the port open.
    int slave = -1;
    std::string slavePath;
};

// Opens a pty with a non-blocking master and a raw 115200 8N2 slave. error
// receives a line for the user on failure.
bool openPty(Pty &pty, std::string &error);
void closePty(Pty &pty);

// Reads what the master has (non-blocking): bytes read, 0 for nothing, -1 when
// the pty failed.
long readMaster(const Pty &pty, uint8_t *buffer, size_t size);

// Writes without blocking; bytes the host side has no room for are lost, as on
// a wire nobody listens to. Returns false when the pty failed.
bool writeMaster(const Pty &pty, const uint8_t *bytes, size_t count);

// Sleeps until the given instant of the steady clock with sub-millisecond
// precision (absolute deadline, so repeated waits do not drift).
void sleepUntil(std::chrono::steady_clock::time_point deadline);

// Lets this thread's timers fire on time instead of being batched by the
// kernel's default timer slack.
void useFineTimerSlack();

} // namespace kivrasim

#endif
