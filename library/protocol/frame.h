// Frame code: pure functions over byte buffers, no I/O.
#ifndef KIVRA_FRAME_H
#define KIVRA_FRAME_H

#include "KivraLibrary.h"

#include <cstdint>

namespace kivra {

constexpr uint16_t kRequestStart = 0xAA55; // wire bytes 55 AA
constexpr uint16_t kReplyStart = 0x55AA;   // wire bytes AA 55
constexpr uint16_t kStatusOk = 1;
constexpr uint16_t kStatusOkAlt = 238;
constexpr int kRequestHeaderBytes = 6;
constexpr int kReplyHeaderBytes = 8;
constexpr int kCheckWordBytes = 2;
constexpr int kFrameBufferBytes = 64;
constexpr int kMaxRequestData = kFrameBufferBytes - kRequestHeaderBytes - kCheckWordBytes; // 56
constexpr int kMinReplyBytes = kReplyHeaderBytes + kCheckWordBytes;                        // 10
static_assert(kMaxRequestData == KIVRA_DEBUG_DATA_MAX, "the public header's limit is a full frame");
// The data of the value and the text exchanges, in both directions.
constexpr int kValueBytes = 4;                    // parameter values and the frequency
constexpr int kTextBytes = KIVRA_TEXT_FIELD_SIZE; // device name, serial number, software version

// Data areas always fill whole 16-bit words, in both directions: an odd data
// length is followed by one zero pad byte before the check word, while the
// length field keeps the odd count. The check word thus never overwrites data,
// and a reply with an odd length L is L + 11 bytes long.
constexpr int paddedLength(int length)
{
    return length + (length & 1);
}
constexpr int replyFrameBytes(int length)
{
    return kReplyHeaderBytes + paddedLength(length) + kCheckWordBytes;
}

// Result codes shared by every exchange.
enum Result : int
{
    kOk = KIVRA_OK,
    kErrArgument = KIVRA_ERR_ARGUMENT,
    kErrNoReply = KIVRA_ERR_NO_REPLY,
    kErrStartWord = KIVRA_ERR_START,
    kErrLength = KIVRA_ERR_LENGTH,
    kErrStatus = KIVRA_ERR_REFUSED,
    kErrCheckWord = KIVRA_ERR_CHECK,
    kErrNoData = KIVRA_ERR_NO_DATA,
};

// Lays out a request with the low 16 bits of code and length data bytes in
// buffer (kFrameBufferBytes long). Returns the frame's size in bytes; 0 when
// length > 0 but data is absent (a debug line says so and nothing is to be
// sent); -1 when buffer is absent or length is outside 0..kMaxRequestData.
int buildFrame(uint8_t *buffer, int code, int length, const uint8_t *data);

// Validates a reply of count bytes (count may be -1 for a failed read).
// Returns kOk or the first failing test's code, -1 to -6.
int checkReply(const uint8_t *reply, int count);

// True when count bytes are exactly one reply frame whose start word, length
// and check word are right, whatever its status: what a reply looks like,
// as opposed to a piece of one.
bool isReplyFrame(const uint8_t *bytes, int count);

// The size of the reply whose first `received` bytes are in reply: the frame
// its length field names once the header is in, else capacity, and never
// more than capacity.
int replyBytesExpected(const uint8_t *reply, int received, int capacity);

// Copies the data of a validated reply into target. Returns its length L (0
// for none), or -1 when reply is absent or L exceeds capacity.
int copyPayload(const uint8_t *reply, uint8_t *target, int capacity);

} // namespace kivra

#endif
