// Device-side frame code: parses request frames out of a byte stream and lays
// out reply frames. Pure functions over byte buffers, no I/O.
//
// Both frame kinds keep their data area padded to whole 16-bit words: an odd
// data length is followed by one zero byte before the check word, while the
// length field keeps the odd count.
#ifndef KIVRA_SIM_DEVFRAME_H
#define KIVRA_SIM_DEVFRAME_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kivrasim {

constexpr uint8_t kRequestStartLow = 0x55; // request start word 0xAA55 on the wire
constexpr uint8_t kRequestStartHigh = 0xAA;
constexpr uint16_t kRequestStartWord = 0xAA55;
constexpr uint16_t kReplyStartWord = 0x55AA;
constexpr size_t kRequestHeaderBytes = 6;
constexpr size_t kReplyHeaderBytes = 8;
constexpr size_t kCheckWordBytes = 2;
constexpr size_t kMaxRequestData = 56;
// The host collects at most 64 bytes after debug data.
constexpr size_t kMaxReplyData = 54;

constexpr uint16_t kStatusOk = 1;
constexpr uint16_t kStatusOkAlt = 238;
constexpr uint16_t kStatusRefused = 2;
// What a corrupted status field carries: neither good value nor the refusal.
constexpr uint16_t kStatusCorrupt = 0x00C3;
// Added to the length field of a corrupted reply.
constexpr uint16_t kLengthCorruption = 2;
// XORed into the check word of a corrupted reply.
constexpr uint16_t kCheckCorruption = 0x5A5A;
// Replaces the start word of a corrupted reply.
constexpr uint16_t kCorruptStartWord = 0x5AA5;

// Data bytes rounded up to whole words.
constexpr size_t paddedLength(size_t length)
{
    return length + (length & 1u);
}

// XOR of the little-endian 16-bit words of bytes[0..count); an odd last byte
// counts as a word with a zero high byte.
uint16_t checkWord(const uint8_t *bytes, size_t count);

struct Request
{
    uint16_t code = 0;
    std::vector<uint8_t> data;
    std::vector<uint8_t> raw; // the whole frame as received, padding included
};

// Collects request frames from a byte stream. What is not a sound frame (no
// start word, a length above the limit, a wrong check word) is skipped byte by
// byte until the next 55 AA, so a frame hidden behind garbage is still found.
class RequestParser
{
public:
    void feed(const uint8_t *bytes, size_t count);

    // Takes the next sound frame out of the buffer; false when none is complete.
    bool next(Request &out);

    // True while bytes of an incomplete frame are waiting.
    bool hasPartial() const { return !buffer_.empty(); }

    // Gives up on the incomplete frame at the front (its sender stalled or cut
    // it short) and looks for a start word behind its first byte.
    void dropPartial();

    // Bytes skipped so far as not belonging to a sound frame.
    size_t discardedBytes() const { return discarded_; }

private:
    void discard(size_t count);
    void skipToStart();

    std::vector<uint8_t> buffer_;
    size_t discarded_ = 0;
};

struct ReplyCorruption
{
    bool start = false;
    bool status = false;
    bool length = false;
    bool check = false;
};

// Lays out a reply frame: start word, word1, status, L, data (padded), check.
// length is clipped to kMaxReplyData.
std::vector<uint8_t> buildReply(uint16_t word1, uint16_t status, const uint8_t *data,
                                size_t length);

// Spoils the chosen fields of a reply from buildReply(). The check word is
// recomputed after the start, status and length changes, so each fault shows
// on its own and only the check fault breaks the check word.
void corruptReply(std::vector<uint8_t> &reply, const ReplyCorruption &corruption);

} // namespace kivrasim

#endif
