// What a line that waits with waitReadable() (sockets.h) makes of its result:
// the pseudo-terminal's and the TCP listener's alike.
#ifndef KIVRA_SIM_LINEWAIT_H
#define KIVRA_SIM_LINEWAIT_H

#include "line.h"
#include "sockets.h"

namespace kivrasim {

inline Line::Ready readyOf(int waited)
{
    switch (waited) {
    case kWaitTimeout:
        return Line::Ready::Timeout;
    case kWaitWoken:
        return Line::Ready::Woken;
    case kWaitFailed:
        return Line::Ready::Failed;
    default:
        return Line::Ready::Input;
    }
}

} // namespace kivrasim

#endif
