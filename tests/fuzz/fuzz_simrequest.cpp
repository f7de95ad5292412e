// The simulator's request parser fed a stream in pieces the fuzzer chooses:
// every frame it hands out must be sound by the oracle, and the pieces must
// not change what comes out of the same bytes fed at once.
#include "devframe.h"
#include "frameoracle.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr size_t kMaxData = 56;

void fail()
{
    std::abort();
}

void checkSound(const kivrasim::Request &r)
{
    const std::vector<uint8_t> &raw = r.raw;
    if (raw.size() < 8 || raw[0] != 0x55 || raw[1] != 0xAA) {
        fail();
    }
    const size_t length = size_t(raw[4] | raw[5] << 8);
    const size_t padded = length + (length & 1);
    if (length > kMaxData || raw.size() != 6 + padded + 2 || r.data.size() != length ||
        r.code != uint16_t(raw[2] | raw[3] << 8) ||
        !std::equal(r.data.begin(), r.data.end(), raw.begin() + 6)) {
        fail();
    }
    const std::vector<uint8_t> body(raw.begin(), raw.end() - 2);
    if (oracle::wordXor(body) != uint16_t(raw[raw.size() - 2] | raw[raw.size() - 1] << 8)) {
        fail();
    }
}

std::vector<std::vector<uint8_t>> drain(kivrasim::RequestParser &parser)
{
    std::vector<std::vector<uint8_t>> out;
    kivrasim::Request r;
    while (parser.next(r)) {
        checkSound(r);
        out.push_back(r.raw);
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const bool withDrops = in.ConsumeBool();
    // Piece sizes first, then the stream itself.
    std::vector<size_t> pieces;
    const size_t pieceCount = in.ConsumeIntegralInRange<size_t>(0, 16);
    for (size_t i = 0; i < pieceCount; ++i) {
        pieces.push_back(in.ConsumeIntegralInRange<size_t>(0, 80));
    }
    const std::vector<uint8_t> stream = in.ConsumeRemainingBytes<uint8_t>();

    kivrasim::RequestParser whole;
    whole.feed(stream.data(), stream.size());
    const auto wholeFrames = drain(whole);

    kivrasim::RequestParser piecewise;
    std::vector<std::vector<uint8_t>> pieceFrames;
    size_t at = 0;
    for (size_t i = 0; at < stream.size(); ++i) {
        const size_t n = std::min(stream.size() - at,
                                  pieces.empty() ? stream.size() : pieces[i % pieces.size()] + 1);
        piecewise.feed(stream.data() + at, n);
        at += n;
        for (auto &f : drain(piecewise)) {
            pieceFrames.push_back(f);
        }
        // A stalled sender: the simulator gives up on the partial frame.
        if (withDrops && piecewise.hasPartial() && n % 3 == 0) {
            piecewise.dropPartial();
        }
    }
    if (!withDrops && pieceFrames != wholeFrames) {
        fail();
    }
    if (!withDrops && piecewise.discardedBytes() != whole.discardedBytes()) {
        fail();
    }
    return 0;
}
