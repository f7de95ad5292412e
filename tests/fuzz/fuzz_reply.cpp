// Reply validation and payload decoding against the frame oracle's reading
// of the same bytes: result code, whether it is a whole frame, and the data
// handed on when it is good.
#include "frameoracle.h"
#include "protocol/frame.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kMinReply = 10;
constexpr int kHeader = 8;

uint16_t word(const std::vector<uint8_t> &b, size_t at)
{
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

// The order of the checks: size, start word, length, status, check word.
int expectedResult(const std::vector<uint8_t> &b)
{
    if (b.size() < kMinReply) {
        return -2;
    }
    if (word(b, 0) != 0x55AA) {
        return -3;
    }
    const size_t length = word(b, 6);
    const size_t padded = length + (length & 1);
    if (b.size() != kHeader + padded + 2) {
        return -4;
    }
    const uint16_t status = word(b, 4);
    if (status != 1 && status != 238) {
        return -5;
    }
    const std::vector<uint8_t> body(b.begin(), b.begin() + static_cast<long>(kHeader + padded));
    if (oracle::wordXor(body) != word(b, kHeader + padded)) {
        return -6;
    }
    return 0;
}

// A whole reply frame: start word, length and check word right, any status.
bool expectedFrame(const std::vector<uint8_t> &b)
{
    if (b.size() < kMinReply || word(b, 0) != 0x55AA) {
        return false;
    }
    const size_t length = word(b, 6);
    const size_t padded = length + (length & 1);
    if (b.size() != kHeader + padded + 2) {
        return false;
    }
    const std::vector<uint8_t> body(b.begin(), b.begin() + static_cast<long>(kHeader + padded));
    return oracle::wordXor(body) == word(b, kHeader + padded);
}

void fail()
{
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A copy of exactly the received size, so any read past it is caught.
    const std::vector<uint8_t> bytes(data, data + size);
    auto *reply = static_cast<uint8_t *>(std::malloc(size ? size : 1));
    std::memcpy(reply, data, size);
    const int count = static_cast<int>(size);
    const int result = kivra::checkReply(reply, count);
    if (result != expectedResult(bytes)) {
        fail();
    }
    if (kivra::checkReply(reply, -1) != kivra::kErrNoReply) {
        fail();
    }
    if (kivra::isReplyFrame(reply, count) != expectedFrame(bytes)) {
        fail();
    }
    if (result == kivra::kOk) {
        const int length = word(bytes, 6);
        for (int capacity : {4, 32, length}) {
            auto *target = static_cast<uint8_t *>(std::malloc(capacity ? size_t(capacity) : 1));
            const int copied = kivra::copyPayload(reply, target, capacity);
            if (length > capacity) {
                if (copied != kivra::kErrArgument) {
                    fail();
                }
            } else if (copied != length ||
                       std::memcmp(target, bytes.data() + kHeader, size_t(length)) != 0) {
                fail();
            }
            std::free(target);
        }
    }
    std::free(reply);
    return 0;
}
