#include "devframe.h"

#include <algorithm>

namespace kivrasim {

namespace {

uint16_t readWord(const uint8_t *bytes)
{
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

void writeWord(uint8_t *bytes, uint16_t word)
{
    bytes[0] = static_cast<uint8_t>(word & 0xFF);
    bytes[1] = static_cast<uint8_t>(word >> 8);
}

constexpr size_t kCodeOffset = 2;
constexpr size_t kRequestLengthOffset = 4;
constexpr size_t kWord1Offset = 2;
constexpr size_t kStatusOffset = 4;
constexpr size_t kReplyLengthOffset = 6;

} // namespace

uint16_t checkWord(const uint8_t *bytes, size_t count)
{
    uint16_t sum = 0;
    for (size_t i = 0; i + 1 < count; i += 2) {
        sum ^= readWord(bytes + i);
    }
    if (count & 1u) {
        sum ^= bytes[count - 1];
    }
    return sum;
}

void RequestParser::feed(const uint8_t *bytes, size_t count)
{
    buffer_.insert(buffer_.end(), bytes, bytes + count);
}

void RequestParser::discard(size_t count)
{
    count = std::min(count, buffer_.size());
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(count));
    discarded_ += count;
}

void RequestParser::skipToStart()
{
    size_t i = 0;
    while (i < buffer_.size()) {
        if (buffer_[i] == kRequestStartLow &&
            (i + 1 == buffer_.size() || buffer_[i + 1] == kRequestStartHigh)) {
            break;
        }
        ++i;
    }
    discard(i);
}

bool RequestParser::next(Request &out)
{
    for (;;) {
        skipToStart();
        if (buffer_.size() < kRequestHeaderBytes) {
            return false;
        }
        const size_t length = readWord(buffer_.data() + kRequestLengthOffset);
        if (length > kMaxRequestData) {
            discard(1);
            continue;
        }
        const size_t frameBytes = kRequestHeaderBytes + paddedLength(length) + kCheckWordBytes;
        if (buffer_.size() < frameBytes) {
            return false;
        }
        const size_t checkOffset = frameBytes - kCheckWordBytes;
        if (checkWord(buffer_.data(), checkOffset) != readWord(buffer_.data() + checkOffset)) {
            discard(1);
            continue;
        }
        out.code = readWord(buffer_.data() + kCodeOffset);
        out.data.assign(buffer_.begin() + static_cast<long>(kRequestHeaderBytes),
                        buffer_.begin() + static_cast<long>(kRequestHeaderBytes + length));
        out.raw.assign(buffer_.begin(), buffer_.begin() + static_cast<long>(frameBytes));
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(frameBytes));
        return true;
    }
}

void RequestParser::dropPartial()
{
    if (buffer_.empty()) {
        return;
    }
    discard(1);
    skipToStart();
}

std::vector<uint8_t> buildReply(uint16_t word1, uint16_t status, const uint8_t *data, size_t length)
{
    if (!data) {
        length = 0;
    }
    length = std::min(length, kMaxReplyData);
    std::vector<uint8_t> reply(kReplyHeaderBytes + paddedLength(length) + kCheckWordBytes, 0);
    writeWord(reply.data(), kReplyStartWord);
    writeWord(reply.data() + kWord1Offset, word1);
    writeWord(reply.data() + kStatusOffset, status);
    writeWord(reply.data() + kReplyLengthOffset, static_cast<uint16_t>(length));
    std::copy(data, data + length, reply.begin() + static_cast<long>(kReplyHeaderBytes));
    const size_t checkOffset = reply.size() - kCheckWordBytes;
    writeWord(reply.data() + checkOffset, checkWord(reply.data(), checkOffset));
    return reply;
}

void corruptReply(std::vector<uint8_t> &reply, const ReplyCorruption &corruption)
{
    if (reply.size() < kReplyHeaderBytes + kCheckWordBytes) {
        return;
    }
    const size_t checkOffset = reply.size() - kCheckWordBytes;
    if (corruption.start) {
        writeWord(reply.data(), kCorruptStartWord);
    }
    if (corruption.status) {
        writeWord(reply.data() + kStatusOffset, kStatusCorrupt);
    }
    if (corruption.length) {
        const uint16_t length = readWord(reply.data() + kReplyLengthOffset);
        writeWord(reply.data() + kReplyLengthOffset,
                  static_cast<uint16_t>(length + kLengthCorruption));
    }
    uint16_t check = checkWord(reply.data(), checkOffset);
    if (corruption.check) {
        check ^= kCheckCorruption;
    }
    writeWord(reply.data() + checkOffset, check);
}

} // namespace kivrasim
