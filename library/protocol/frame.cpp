#include "frame.h"

#include "debuglog.h"

#include <algorithm>
#include <cstring>

namespace kivra {

namespace {

constexpr int kCodeOffset = 2;
constexpr int kRequestLengthOffset = 4;
constexpr int kStatusOffset = 4;
constexpr int kReplyLengthOffset = 6;
constexpr int kByteBits = 8;
constexpr unsigned kByteMask = 0xFF;

constexpr const char *kMissingDataMessage = "DataLen > 0, but pData == nullptr";

uint16_t wordAt(const uint8_t *bytes, int offset)
{
    return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << kByteBits));
}

void putWord(uint8_t *bytes, int offset, uint16_t word)
{
    bytes[offset] = static_cast<uint8_t>(word & kByteMask);
    bytes[offset + 1] = static_cast<uint8_t>(word >> kByteBits);
}

// XOR of the 16-bit words in the first `bytes` bytes (an even count).
uint16_t xorWords(const uint8_t *frame, int bytes)
{
    uint16_t check = 0;
    for (int offset = 0; offset < bytes; offset += 2) {
        check ^= wordAt(frame, offset);
    }
    return check;
}

} // namespace

int buildFrame(uint8_t *buffer, int code, int length, const uint8_t *data)
{
    if (!buffer || length < 0 || length > kMaxRequestData) {
        return kErrArgument;
    }
    putWord(buffer, 0, kRequestStart);
    putWord(buffer, kCodeOffset, static_cast<uint16_t>(code));
    putWord(buffer, kRequestLengthOffset, static_cast<uint16_t>(length));
    if (length > 0) {
        if (!data) {
            debugLine(kMissingDataMessage);
            return 0;
        }
        std::memcpy(buffer + kRequestHeaderBytes, data, static_cast<size_t>(length));
    }
    const int padded = paddedLength(length);
    if (padded != length) {
        buffer[kRequestHeaderBytes + length] = 0;
    }
    const int checkOffset = kRequestHeaderBytes + padded;
    putWord(buffer, checkOffset, xorWords(buffer, checkOffset));
    return checkOffset + kCheckWordBytes;
}

int checkReply(const uint8_t *reply, int count)
{
    if (!reply) {
        return kErrArgument;
    }
    if (count / 2 < kMinReplyBytes / 2) {
        return kErrNoReply;
    }
    if (wordAt(reply, 0) != kReplyStart) {
        return kErrStartWord;
    }
    const int length = wordAt(reply, kReplyLengthOffset);
    // Checked before anything is read behind the header, so a wild length
    // field cannot lead the check word test outside the received bytes.
    if (count != replyFrameBytes(length)) {
        return kErrLength;
    }
    const uint16_t status = wordAt(reply, kStatusOffset);
    if (status != kStatusOk && status != kStatusOkAlt) {
        return kErrStatus;
    }
    const int checkOffset = kReplyHeaderBytes + paddedLength(length);
    if (xorWords(reply, checkOffset) != wordAt(reply, checkOffset)) {
        return kErrCheckWord;
    }
    return kOk;
}

bool isReplyFrame(const uint8_t *bytes, int count)
{
    if (!bytes || count < kMinReplyBytes || wordAt(bytes, 0) != kReplyStart) {
        return false;
    }
    const int length = wordAt(bytes, kReplyLengthOffset);
    if (count != replyFrameBytes(length)) {
        return false;
    }
    const int checkOffset = kReplyHeaderBytes + paddedLength(length);
    return xorWords(bytes, checkOffset) == wordAt(bytes, checkOffset);
}

int replyBytesExpected(const uint8_t *reply, int received, int capacity)
{
    if (!reply || received < kReplyHeaderBytes) {
        return capacity;
    }
    return std::min(capacity, replyFrameBytes(wordAt(reply, kReplyLengthOffset)));
}

int copyPayload(const uint8_t *reply, uint8_t *target, int capacity)
{
    if (!reply) {
        return kErrArgument;
    }
    const int length = wordAt(reply, kReplyLengthOffset);
    if (length > capacity || (length > 0 && !target)) {
        return kErrArgument;
    }
    if (length > 0) {
        std::memcpy(target, reply + kReplyHeaderBytes, static_cast<size_t>(length));
    }
    return length;
}

} // namespace kivra
