// Replies that come after their exchange gave up. The protocol has no
// sequence numbers, so only time and the frames' own shape tell a late reply
// from the next one: what an exchange that ended without its whole reply
// still owes is remembered per handle, and the next exchange on that handle
// drops it (and nothing else) before it takes its own reply.
//
// - A whole frame owed (nothing of it arrived) is dropped when it begins
//   within its window: twice the failed exchange's budget after its start.
//   On a port reached over a network, where replies can be held up on the
//   path for longer, no request goes out while such a frame may still come
//   (its window then lasts kMaxPathAllowance past its budget): the next
//   exchange waits for it up to its own budget and, if it is still out,
//   fails without sending.
// - The tail of a frame owed (some of it arrived) is dropped only when the
//   bytes at hand do not begin a sound reply frame; a sound frame is this
//   exchange's reply, the tail having been lost on the line.
#ifndef KIVRA_LATEREPLIES_H
#define KIVRA_LATEREPLIES_H

#include "port.h"

#include <cstdint>

namespace kivra {

struct OwedReply
{
    Clock::time_point sentAt{}; // when the failed exchange's request went out
    Clock::time_point until{};  // end of the window in which it is dropped
    int capacity = 0;           // that exchange's wanted count: a frame's size bound
    int tailBytes = 0;          // > 0: the tail of a frame; 0: a whole frame
};

// What the exchange code keeps per handle between calls.
struct ExchangeState
{
    bool owes = false;
    OwedReply owed;
    // The last exchange dropped a whole frame for the one before it and then
    // got nothing: it may have taken its own reply for the owed one, so the
    // next waits out the rest of the window before sending.
    bool waitFirst = false;
};

// Reads a port for one exchange, keeping what was read and not yet taken.
class Inbox
{
public:
    explicit Inbox(Port &port) : port_(port) {}

    Port &port() const { return port_; }

    // Makes count bytes available if they arrive by until. Returns how many
    // are available, or -1 once the port has failed.
    int fill(int count, Clock::time_point until);
    const uint8_t *bytes() const { return bytes_; }
    int size() const { return size_; }
    void take(int count);
    void clear() { size_ = 0; }
    bool failed() const { return failed_; }

private:
    Port &port_;
    uint8_t bytes_[kStagingBytes] = {};
    int size_ = 0;
    bool failed_ = false;
};

// Before the request goes out: what has arrived pays what is owed, and the
// rest of the window is waited out where the last exchange asked for it. On
// a path (the inbox's port has one), a whole frame still owed is waited for
// up to budget; returns false when it is still out then: this exchange must
// not send.
bool settleBeforeSending(Inbox &inbox, ExchangeState &state, Clock::duration budget);

// After the request went out, until the exchange's deadline: drops what
// arrives of the owed reply ahead of this exchange's own. Returns true when
// a whole owed frame was dropped.
bool dropOwedAfterSending(Inbox &inbox, ExchangeState &state, Clock::time_point deadline);

// After the exchange: what its reply still owes, if anything. received is
// the count collected (-1: the port failed), reply those bytes.
void rememberOwed(ExchangeState &state, const uint8_t *reply, int received, int wanted,
                  Clock::time_point start, Clock::duration budget, bool onPath,
                  bool droppedAfterSending);

} // namespace kivra

#endif
