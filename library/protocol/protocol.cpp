#include "protocol.h"

#include "debuglog.h"
#include "handles.h"
#include "latereplies.h"
#include "teststretch.h"
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
int readValueBytes(int handle, int code, KivraExchangeKind kind, uint8_t *bytes)
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

thread_local int lastAttempts = 0;

} // namespace

int lastExchangeAttempts()
{
    return lastAttempts;
}

int exchange(int handle, int code, const uint8_t *data, int length, KivraExchangeKind kind,
             uint8_t *reply)
{
    const KivraExchange *shape = kivraExchange(kind);
    if (!shape || !reply || shape->wanted > kReplyBufferBytes) {
        return kErrArgument;
    }
    const int wanted = shape->wanted;
    const int attempts = shape->attempts;
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
    const bool onPath = port.hasPath();
    // A network between here and the line adds its round trip to the
    // controller's own patience.
    const Clock::duration budget =
        attempts * kReadSlice * budgetStretchForTests() + port.pathAllowance();
    lastAttempts = attempts;
    Inbox inbox(port);
    if (!settleBeforeSending(inbox, state, budget)) {
        if (kTraceEnabled) {
            traceHeld(code, *shape);
        }
        return checkReply(reply, 0);
    }
    // Stale input goes too. Even when the builder refused (size 0) the
    // reply is awaited, so a missing pointer costs what a silent controller
    // costs instead of passing for a quick failure.
    if (kTraceEnabled) {
        traceRequest(port, code, *shape, request, size);
    }
    port.discardInput();
    const auto start = Clock::now();
    const auto deadline = start + budget;
    // The write shares the reply's deadline, so a controller that stops
    // reading cannot stretch a call past its budget.
    if (size > 0) {
        port.write(request, size, deadline);
    }
    const bool dropped = dropOwedAfterSending(inbox, state, deadline);
    int received = inbox.fill(wanted, deadline);
    const auto end = Clock::now();
    if (received >= 0) {
        received = std::min(received, wanted);
        std::memset(reply, 0, static_cast<size_t>(wanted));
        std::memcpy(reply, inbox.bytes(), static_cast<size_t>(received));
    }
    rememberOwed(state, reply, received, wanted, start, budget, onPath, dropped);
    if (onPath) {
        // Only a read that ended early says how long the path took.
        if (received == wanted) {
            port.samplePath(end - start);
        }
        port.settlePath();
    }
    const int result = checkReply(reply, received);
    if (kTraceEnabled) {
        traceReply(code, *shape, reply, received, result, budget);
    }
    return result;
}

int sendValue(int handle, int code, int32_t value, KivraExchangeKind kind)
{
    uint8_t data[kValueBytes];
    putValue(data, value);
    uint8_t reply[kReplyBufferBytes] = {};
    return exchange(handle, code, data, kValueBytes, kind, reply);
}

int setParameter(int handle, int code, int32_t value)
{
    return sendValue(handle, code, value, KIVRA_EXCHANGE_SET);
}

int getParameter(int handle, int code)
{
    uint8_t bytes[kValueBytes] = {};
    const int result = readValueBytes(handle, code, KIVRA_EXCHANGE_GET, bytes);
    if (result != kOk) {
        return result;
    }
    return static_cast<int32_t>(valueBits(bytes));
}

float getFloatParameter(int handle, int code)
{
    uint8_t bytes[kValueBytes] = {};
    const int result = readValueBytes(handle, code, KIVRA_EXCHANGE_FREQUENCY, bytes);
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
    const int result = exchange(handle, code, request, kTextBytes, KIVRA_EXCHANGE_TEXT_READ, reply);
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
    const int result = exchange(handle, code, field, kTextBytes, KIVRA_EXCHANGE_TEXT_WRITE, reply);
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
    return exchange(handle, code, static_cast<const uint8_t *>(data), length, KIVRA_EXCHANGE_DEBUG,
                    reply);
}

} // namespace kivra
