#include "protocol.h"

#include "debuglog.h"
#include "handles.h"
#include "trace.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kivra {

namespace {

constexpr int kByteBits = 8;
constexpr uint32_t kByteMask = 0xFF;
constexpr int kLogLineBytes = 32;

void putValue(uint8_t *bytes, int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < kValueBytes; ++i) {
        bytes[i] = static_cast<uint8_t>((bits >> (kByteBits * i)) & kByteMask);
    }
}

uint32_t valueBits(const uint8_t *bytes)
{
    uint32_t bits = 0;
    for (int i = 0; i < kValueBytes; ++i) {
        bits |= static_cast<uint32_t>(bytes[i]) << (kByteBits * i);
    }
    return bits;
}

// Runs a value-sized read and copies the reply's 1..4 data bytes into bytes
// (zero-filled beforehand). Returns kOk, the exchange's code or kErrNoData.
int readValueBytes(int handle, int code, const ExchangeKind &kind, uint8_t *bytes)
{
    const uint8_t request[kValueBytes] = {};
    uint8_t reply[kReplyBufferBytes] = {};
    const int result = exchange(handle, code, request, kValueBytes, kind, reply);
    if (result != kOk) {
        return result;
    }
    if (copyPayload(reply, bytes, kValueBytes) <= 0) {
        return kErrNoData;
    }
    return kOk;
}

// A controller may answer after the budget has run out. The rest of its
// frame must not reach a later exchange, and with no sequence numbers in the
// protocol only time tells it apart: until `lateUntil` (twice the failed
// exchange's budget after its start) the first bytes to arrive, up to the
// frame's remaining size, are taken for it and dropped. The next exchange
// does not wait for them: it sends at once and drops them as they come ahead
// of its own reply, so a silent controller costs no more than before.

// Drops owed bytes that arrive no later than until (and the window's end).
// Returns the count dropped, or -1 when the port failed.
int dropOwed(Port &port, ExchangeState &state, Clock::time_point until)
{
    if (state.lateBytes <= 0 || Clock::now() >= state.lateUntil) {
        state.lateBytes = 0;
        return 0;
    }
    uint8_t scratch[kStagingBytes];
    const int n = port.read(scratch, std::min(state.lateBytes, kStagingBytes),
                            std::min(until, state.lateUntil));
    if (n > 0) {
        state.lateBytes -= n;
    }
    return n;
}

// Before the request goes out: what has arrived already cannot be this
// exchange's and pays the debt first. When the last exchange may itself have
// taken its own reply for the debt before it (a controller that skipped a
// request), its frame may still be owed as well, so the rest of the window is
// waited out; that happens only after two failures in a row.
void settleBeforeSending(Port &port, ExchangeState &state)
{
    dropOwed(port, state, Clock::now());
    if (state.waitFirst) {
        dropOwed(port, state, state.lateUntil);
        state.lateBytes = 0;
    }
    state.waitFirst = false;
}

// After the reply was collected: what this exchange still owes, if anything.
void rememberLateReply(ExchangeState &state, const uint8_t *reply, int received, int wanted,
                       Clock::time_point lateUntil, bool droppedAfterSending)
{
    state.lateBytes = 0;
    state.waitFirst = false;
    if (received < 0) {
        return; // the port failed; nothing more will come through it
    }
    const int owed = replyBytesExpected(reply, received, wanted) - received;
    if (owed > 0) {
        state.lateBytes = owed;
        state.lateUntil = lateUntil;
        state.waitFirst = droppedAfterSending;
    }
}

thread_local int lastAttempts = 0;

} // namespace

int lastExchangeAttempts()
{
    return lastAttempts;
}

int exchange(int handle, int code, const uint8_t *data, int length, const ExchangeKind &kind,
             uint8_t *reply)
{
    if (!reply || kind.wanted > kReplyBufferBytes) {
        return kErrArgument;
    }
    uint8_t request[kFrameBufferBytes];
    const int size = buildFrame(request, code, length, data);
    if (size < 0) {
        return kErrArgument;
    }
    PortLease lease = leasePort(handle);
    if (!lease) {
        return checkReply(reply, -1);
    }
    Port &port = lease.port();
    ExchangeState &state = lease.state();
    settleBeforeSending(port, state);
    // Stale input goes too. Even when the builder refused (size 0) the
    // reply is awaited, so a missing pointer costs what a silent controller
    // costs instead of passing for a quick failure.
    if (kTraceEnabled) {
        traceRequest(port, code, kind, request, size);
    }
    port.discardInput();
    const auto start = Clock::now();
    const auto budget = kind.attempts * kAttemptTime;
    // The write shares the reply's deadline, so a controller that stops
    // reading cannot stretch a call past its budget.
    if (size > 0) {
        port.write(request, size, start + budget);
    }
    const int dropped = dropOwed(port, state, start + budget);
    const int received = dropped < 0 ? -1 : port.read(reply, kind.wanted, start + budget);
    lastAttempts = kind.attempts;
    rememberLateReply(state, reply, received, kind.wanted, start + 2 * budget, dropped > 0);
    const int result = checkReply(reply, received);
    if (kTraceEnabled) {
        traceReply(code, kind, reply, received, result);
    }
    return result;
}

int sendValue(int handle, int code, int32_t value, const ExchangeKind &kind)
{
    uint8_t data[kValueBytes];
    putValue(data, value);
    uint8_t reply[kReplyBufferBytes] = {};
    return exchange(handle, code, data, kValueBytes, kind, reply);
}

int setParameter(int handle, int code, int32_t value)
{
    return sendValue(handle, code, value, kParameterSet);
}

int getParameter(int handle, int code)
{
    uint8_t bytes[kValueBytes] = {};
    const int result = readValueBytes(handle, code, kParameterGet, bytes);
    if (result != kOk) {
        return result;
    }
    return static_cast<int32_t>(valueBits(bytes));
}

float getFloatParameter(int handle, int code)
{
    uint8_t bytes[kValueBytes] = {};
    const int result = readValueBytes(handle, code, kFrequencyRead, bytes);
    if (result != kOk) {
        return static_cast<float>(result);
    }
    const uint32_t bits = valueBits(bytes);
    float value;
    static_assert(sizeof value == sizeof bits, "float must be 32 bits");
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

int readText(int handle, int code, char *buffer, int size)
{
    if (!buffer || size < 0) {
        return kErrArgument;
    }
    const uint8_t request[kTextBytes] = {};
    uint8_t reply[kReplyBufferBytes] = {};
    const int result = exchange(handle, code, request, kTextBytes, kTextRead, reply);
    if (result != kOk) {
        return result;
    }
    uint8_t field[kTextBytes] = {};
    if (copyPayload(reply, field, kTextBytes) <= 0) {
        return kErrNoData;
    }
    std::memcpy(buffer, field, static_cast<size_t>(std::min(size, kTextBytes)));
    return kOk;
}

int writeText(int handle, int code, const char *text, int length, int logTag)
{
    if (!text || length < 0) {
        return kErrArgument;
    }
    uint8_t field[kTextBytes] = {};
    std::memcpy(field, text, static_cast<size_t>(std::min(length, kTextBytes)));
    uint8_t reply[kReplyBufferBytes] = {};
    const int result = exchange(handle, code, field, kTextBytes, kTextWrite, reply);
    char line[kLogLineBytes];
    std::snprintf(line, sizeof line, "%d %d", logTag, result);
    debugLine(line);
    return result;
}

int sendRaw(int handle, int code, int length, const void *data)
{
    if (length < 0 || length > kMaxRequestData) {
        return kErrArgument;
    }
    uint8_t reply[kReplyBufferBytes] = {};
    return exchange(handle, code, static_cast<const uint8_t *>(data), length, kDebugExchange,
                    reply);
}

} // namespace kivra
