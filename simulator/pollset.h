// The two halves of waitReadable() (sockets.h) that POSIX's poll() and
// Winsock's WSAPoll() share, over pollfd and WSAPOLLFD alike: the set it
// watches, the wait's descriptors and then the wake's, and what the set's
// results mean.
#ifndef KIVRA_SIM_POLLSET_H
#define KIVRA_SIM_POLLSET_H

#include "sockets.h"

#include <vector>

namespace kivrasim {

template <typename PollFd>
std::vector<PollFd> pollSet(const Socket *descriptors, size_t count, const Wake &wake, short events)
{
    using Handle = decltype(PollFd::fd);
    std::vector<PollFd> fds;
    for (size_t i = 0; i < count; ++i) {
        fds.push_back({static_cast<Handle>(descriptors[i]), events, 0});
    }
    fds.push_back({static_cast<Handle>(wake.waitable()), events, 0});
    return fds;
}

// The wake before any descriptor, so that a woken wait ends even while input
// keeps coming.
template <typename PollFd> int readyIn(const std::vector<PollFd> &fds)
{
    if (fds.back().revents != 0) {
        return kWaitWoken;
    }
    for (size_t i = 0; i + 1 < fds.size(); ++i) {
        if (fds[i].revents != 0) {
            return static_cast<int>(i);
        }
    }
    return kWaitTimeout;
}

} // namespace kivrasim

#endif
