// How many received bytes wait unread on an open port: the input the next
// exchange will discard as stale. Only the frame trace asks. One file per
// platform (pending_posix.cpp, pending_win.cpp).
#ifndef KIVRA_PENDING_H
#define KIVRA_PENDING_H

namespace kivra {

// Bytes waiting, or -1 when the handle is not open or the system cannot tell.
int pendingInput(int handle);

} // namespace kivra

#endif
