#include "lowlatency.h"

#include <atomic>
#include <linux/serial.h>
#include <sys/ioctl.h>

namespace kivra {

namespace {

int systemRequest(int fd, unsigned long request, void *settings)
{
    return ::ioctl(fd, request, settings);
}

std::atomic<SerialRequest> serialRequest{systemRequest};

} // namespace

void setSerialRequestForTests(SerialRequest request)
{
    serialRequest = request ? request : systemRequest;
}

DriverLatency requestLowLatency(int fd)
{
    DriverLatency previous;
    serial_struct settings{};
    // Pseudo-terminals and many drivers answer ENOTTY or EINVAL: they have
    // no such setting, and nothing is to be done or undone.
    if (serialRequest.load()(fd, TIOCGSERIAL, &settings) != 0 ||
        (settings.flags & ASYNC_LOW_LATENCY) != 0) {
        return previous;
    }
    previous.flags = settings.flags;
    settings.flags |= ASYNC_LOW_LATENCY;
    previous.changed = serialRequest.load()(fd, TIOCSSERIAL, &settings) == 0;
    return previous;
}

void restoreLatency(int fd, const DriverLatency &previous)
{
    if (!previous.changed) {
        return;
    }
    serial_struct settings{};
    if (serialRequest.load()(fd, TIOCGSERIAL, &settings) != 0) {
        return;
    }
    settings.flags = previous.flags;
    serialRequest.load()(fd, TIOCSSERIAL, &settings);
}

} // namespace kivra
