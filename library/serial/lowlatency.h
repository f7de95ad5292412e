// USB serial adapters hold received bytes until a latency timer runs out
// (16 ms by default on common adapters), which would make every exchange
// wait for it. Serial drivers that know the low-latency setting pass bytes
// on at once (the common USB driver then sets its timer to 1 ms); others,
// and pseudo-terminals, refuse the request, which changes nothing.
#ifndef KIVRA_LOWLATENCY_H
#define KIVRA_LOWLATENCY_H

namespace kivra {

// What requestLowLatency() found, for restoreLatency() at close.
struct DriverLatency
{
    bool changed = false; // the driver's setting was switched on by us
    int flags = 0;        // the driver's flags before that
};

// Switches the driver of terminal fd to low latency when it supports the
// setting and does not have it on already.
DriverLatency requestLowLatency(int fd);

// Puts back what requestLowLatency() changed, if anything.
void restoreLatency(int fd, const DriverLatency &previous);

// The driver request itself (ioctl with TIOCGSERIAL or TIOCSSERIAL and a
// struct serial_struct), replaceable so that tests can play a driver that
// accepts the setting. Null restores the system's own.
using SerialRequest = int (*)(int fd, unsigned long request, void *settings);
void setSerialRequestForTests(SerialRequest request);

} // namespace kivra

#endif
