// An independent oracle for frames on the wire, written apart from the
// library's frame code so that the tests do not check the code against itself.
#ifndef KIVRA_TEST_FRAMEORACLE_H
#define KIVRA_TEST_FRAMEORACLE_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace oracle {

using Bytes = std::vector<uint8_t>;

// XOR of the little-endian 16-bit words.
inline uint16_t wordXor(const Bytes &bytes)
{
    uint16_t check = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        check ^= static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8));
    }
    return check;
}

inline void appendWord(Bytes &bytes, uint16_t word)
{
    bytes.push_back(static_cast<uint8_t>(word & 0xFF));
    bytes.push_back(static_cast<uint8_t>(word >> 8));
}

// Pads the data to whole words and appends the check word.
inline Bytes seal(Bytes frame)
{
    if (frame.size() % 2) {
        frame.push_back(0);
    }
    appendWord(frame, wordXor(frame));
    return frame;
}

inline Bytes request(uint16_t code, const Bytes &data)
{
    Bytes frame = {0x55, 0xAA};
    appendWord(frame, code);
    appendWord(frame, static_cast<uint16_t>(data.size()));
    frame.insert(frame.end(), data.begin(), data.end());
    return seal(frame);
}

inline Bytes reply(const Bytes &data, uint16_t status = 1, uint16_t word1 = 0,
                   uint16_t start = 0x55AA)
{
    Bytes frame;
    appendWord(frame, start);
    appendWord(frame, word1);
    appendWord(frame, status);
    appendWord(frame, static_cast<uint16_t>(data.size()));
    frame.insert(frame.end(), data.begin(), data.end());
    return seal(frame);
}

// Reading back a request frame: start word, code, length, then the data.
constexpr size_t kRequestCodeOffset = 2;
constexpr size_t kRequestDataOffset = 6;
constexpr size_t kValueBytes = 4;

inline uint16_t readWord(const uint8_t *at)
{
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}

// The command code; 0 for a frame too short to hold one.
inline uint16_t requestCode(const Bytes &frame)
{
    return frame.size() < kRequestCodeOffset + 2 ? 0 : readWord(frame.data() + kRequestCodeOffset);
}

// The first 32-bit little-endian value of the data, if the frame holds one.
inline bool requestValue(const Bytes &frame, int32_t *value)
{
    if (frame.size() < kRequestDataOffset + kValueBytes) {
        return false;
    }
    uint32_t u = 0;
    for (size_t i = 0; i < kValueBytes; ++i) {
        u |= static_cast<uint32_t>(frame[kRequestDataOffset + i]) << (8 * i);
    }
    *value = static_cast<int32_t>(u);
    return true;
}

} // namespace oracle

#endif
