#include "protocol.h"

#include "debuglog.h"
#include "handles.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace kivra {

namespace {

constexpr int kByteBits = 8;
constexpr uint32_t kByteMask = 0xFF;
constexpr int kLogLineBytes = 32;
// A frame fits the driver's queue at once; this only bounds a stalled line.
constexpr std::chrono::milliseconds kWritePatience{100};

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

} // namespace

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
    // Stale input goes first, so a late reply from the last exchange cannot
    // be taken for this one. Even when the builder refused (size 0) the
    // reply is awaited, so a missing pointer costs what a silent controller
    // costs instead of passing for a quick failure.
    port.discardInput();
    if (size > 0) {
        port.write(request, size, Clock::now() + kWritePatience);
    }
    const int received = port.read(reply, kind.wanted, Clock::now() + kind.attempts * kAttemptTime);
    return checkReply(reply, received);
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
