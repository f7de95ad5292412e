#include "latereplies.h"

#include "frame.h"
#include "teststretch.h"

#include <algorithm>
#include <cstring>

namespace kivra {

int Inbox::fill(int count, Clock::time_point until)
{
    if (failed_) {
        return -1;
    }
    count = std::min(count, kStagingBytes);
    if (size_ < count) {
        const int n = port_.read(bytes_ + size_, count - size_, until);
        if (n < 0) {
            failed_ = true;
            return -1;
        }
        size_ += n;
    }
    return size_;
}

void Inbox::take(int count)
{
    count = std::clamp(count, 0, size_);
    std::memmove(bytes_, bytes_ + count, static_cast<size_t>(size_ - count));
    size_ -= count;
}

namespace {

enum class Outcome
{
    Taken,   // all that was owed has been dropped
    Lost,    // the owed tail never came: a sound frame stands in its place
    Partial, // some of it came; the rest is owed still
    Nothing, // nothing began by the time allowed
    Failed   // the port failed
};

// One whole owed frame: its first byte must come by `begins`; after that its
// header tells how long it is (at most the failed exchange's wanted count)
// and the rest is awaited until `until`.
Outcome takeFrame(Inbox &inbox, OwedReply &owed, Clock::time_point begins, Clock::time_point until)
{
    int n = inbox.fill(1, begins);
    if (n <= 0) {
        return n < 0 ? Outcome::Failed : Outcome::Nothing;
    }
    n = inbox.fill(std::min(kReplyHeaderBytes, owed.capacity), until);
    if (n < 0) {
        return Outcome::Failed;
    }
    const int size = replyBytesExpected(inbox.bytes(), n, owed.capacity);
    n = inbox.fill(size, until);
    if (n < 0) {
        return Outcome::Failed;
    }
    const int got = std::min(n, size);
    inbox.take(got);
    owed.tailBytes = size - got;
    return owed.tailBytes == 0 ? Outcome::Taken : Outcome::Partial;
}

// Whether the bytes coming begin one sound reply frame, read whole by until.
bool beginsReplyFrame(Inbox &inbox, Clock::time_point until)
{
    constexpr uint8_t kStart[2] = {kReplyStart & 0xFF, kReplyStart >> 8};
    if (inbox.fill(2, until) < 2 || inbox.bytes()[0] != kStart[0] ||
        inbox.bytes()[1] != kStart[1]) {
        return false;
    }
    const int n = inbox.fill(kReplyHeaderBytes, until);
    const int size = replyBytesExpected(inbox.bytes(), n, kFrameBufferBytes);
    return inbox.fill(size, until) >= size && isReplyFrame(inbox.bytes(), size);
}

// The owed tail of a frame: dropped unless, once the exchange's request is
// out (mayBeReply), what comes begins a sound frame; then the tail was lost.
Outcome takeTail(Inbox &inbox, OwedReply &owed, Clock::time_point begins, Clock::time_point until,
                 bool mayBeReply)
{
    const int n = inbox.fill(1, begins);
    if (n <= 0) {
        return n < 0 ? Outcome::Failed : Outcome::Nothing;
    }
    if (mayBeReply && beginsReplyFrame(inbox, until)) {
        return Outcome::Lost;
    }
    const int got = std::min(inbox.fill(owed.tailBytes, until), owed.tailBytes);
    if (got < 0) {
        return Outcome::Failed;
    }
    inbox.take(got);
    owed.tailBytes -= got;
    return owed.tailBytes == 0 ? Outcome::Taken : Outcome::Partial;
}

// Drops the owed reply from what arrives; a first byte after the window is
// no longer its. Returns what became of it.
Outcome takeOwed(Inbox &inbox, ExchangeState &state, Clock::time_point wait,
                 Clock::time_point until, bool mayBeReply)
{
    OwedReply &owed = state.owed;
    const Clock::time_point begins = std::min(wait, owed.until);
    const Outcome outcome = owed.tailBytes == 0 ? takeFrame(inbox, owed, begins, until)
                                                : takeTail(inbox, owed, begins, until, mayBeReply);
    const bool settled = outcome == Outcome::Taken || outcome == Outcome::Lost ||
                         outcome == Outcome::Failed ||
                         (outcome == Outcome::Nothing && Clock::now() >= owed.until);
    if (settled) {
        state.owes = false;
    }
    return outcome;
}

} // namespace

bool settleBeforeSending(Inbox &inbox, ExchangeState &state, Clock::duration budget)
{
    Port &port = inbox.port();
    const bool onPath = port.hasPath();
    if (state.owes && Clock::now() >= state.owed.until) {
        state.owes = false;
    }
    if (state.owes) {
        // Nothing that has arrived yet can be this exchange's reply, so it
        // pays first. A whole frame owed on a path is waited for: a request
        // sent now could have its reply taken for the late one, or the late
        // one for its reply.
        const auto now = Clock::now();
        const bool whole = state.owed.tailBytes == 0;
        Clock::time_point wait = now;
        if (state.waitFirst) {
            wait = state.owed.until;
        } else if (onPath && whole) {
            wait = std::min(state.owed.until, now + budget);
        }
        const Clock::time_point sentAt = state.owed.sentAt;
        const Outcome outcome = takeOwed(inbox, state, wait, wait, false);
        if (onPath && whole && outcome == Outcome::Taken) {
            port.samplePath(Clock::now() - sentAt);
        }
    }
    state.waitFirst = false;
    // What else has arrived is stale; the port drops the rest.
    inbox.clear();
    return !(onPath && state.owes && state.owed.tailBytes == 0);
}

bool dropOwedAfterSending(Inbox &inbox, ExchangeState &state, Clock::time_point deadline)
{
    if (!state.owes) {
        return false;
    }
    const bool whole = state.owed.tailBytes == 0;
    const Outcome outcome = takeOwed(inbox, state, deadline, deadline, true);
    return whole && (outcome == Outcome::Taken || outcome == Outcome::Partial);
}

void rememberOwed(ExchangeState &state, const uint8_t *reply, int received, int wanted,
                  Clock::time_point start, Clock::duration budget, bool onPath,
                  bool droppedAfterSending)
{
    state.owes = false;
    state.waitFirst = false;
    if (received < 0) {
        return; // the port failed; nothing more will come through it
    }
    const int owed = replyBytesExpected(reply, received, wanted) - received;
    if (owed <= 0) {
        return;
    }
    state.owes = true;
    state.owed.sentAt = start;
    state.owed.capacity = wanted;
    state.owed.tailBytes = received > 0 ? owed : 0;
    // A reply held up on a network path may come much later than a local
    // line's would; its window reaches as far as any path's allowance (on a
    // machine the tests slow down, as far as its time stretches).
    const bool held = onPath && received == 0;
    const Clock::duration pathWindow = kMaxPathAllowance * budgetStretchForTests();
    state.owed.until = start + budget + (held ? pathWindow : budget);
    state.waitFirst = droppedAfterSending;
}

} // namespace kivra
