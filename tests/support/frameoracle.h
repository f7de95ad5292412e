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

} // namespace oracle

#endif
