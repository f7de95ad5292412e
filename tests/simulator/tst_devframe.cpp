// Device-side frame code: finding sound requests in a noisy stream, and the
// layout of replies.
#include "devframe.h"
#include "frameoracle.h"

#include <gtest/gtest.h>

using namespace kivrasim;

namespace {

using Bytes = std::vector<uint8_t>;

using oracle::request;

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::vector<uint16_t> parseAll(const Bytes &stream, size_t pieceBytes)
{
    RequestParser parser;
    std::vector<uint16_t> codes;
    for (size_t at = 0; at < stream.size(); at += pieceBytes) {
        parser.feed(stream.data() + at, std::min(pieceBytes, stream.size() - at));
        Request r;
        while (parser.next(r))
            codes.push_back(r.code);
    }
    return codes;
}

const Bytes kGetState = {0x55, 0xAA, 0x0C, 0x00, 0x04, 0x00, 0, 0, 0, 0, 0x5D, 0xAA};

struct StreamCase
{
    const char *name;
    Bytes stream;
    std::vector<uint16_t> codes;
};

class ParserStream : public ::testing::TestWithParam<StreamCase>
{
};

TEST_P(ParserStream, FindsEverySoundFrameWhateverThePieceSize)
{
    const StreamCase &c = GetParam();
    for (size_t piece : {size_t(1), size_t(5), c.stream.size()})
        EXPECT_EQ(parseAll(c.stream, piece), c.codes) << "pieces of " << piece;
}

Bytes badCheck()
{
    Bytes f = request(0x01, {1, 0, 0, 0});
    f.back() ^= 0x01;
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Streams, ParserStream,
    ::testing::Values(
        StreamCase{"worked_example", kGetState, {0x0C}},
        StreamCase{"garbage_before", cat({{0x00, 0xAA, 0x55, 0x55, 0x13}, kGetState}), {0x0C}},
        StreamCase{"bad_check_then_good", cat({badCheck(), kGetState}), {0x0C}},
        // A header claiming 57 data bytes cannot be a frame; its start word is skipped.
        StreamCase{
            "overlong_header", cat({{0x55, 0xAA, 0x0C, 0x00, 0x39, 0x00}, kGetState}), {0x0C}},
        StreamCase{"largest_frame", request(0x4242, Bytes(56, 0x11)), {0x4242}},
        StreamCase{"odd_length_padded", cat({request(0x77, {1, 2, 3}), kGetState}), {0x77, 0x0C}},
        StreamCase{"start_word_inside_data",
                   cat({request(0x78, {0x55, 0xAA, 9, 0}), kGetState}),
                   {0x78, 0x0C}},
        StreamCase{"back_to_back",
                   cat({kGetState, request(0xFD, Bytes(32, 0)), kGetState}),
                   {0x0C, 0xFD, 0x0C}}),
    [](const ::testing::TestParamInfo<StreamCase> &info) { return std::string(info.param.name); });

TEST(Parser, KeepsDataAndRawFrame)
{
    RequestParser parser;
    const Bytes frame = request(0x77, {1, 2, 3});
    parser.feed(frame.data(), frame.size());
    Request r;
    ASSERT_TRUE(parser.next(r));
    EXPECT_EQ(r.data, (Bytes{1, 2, 3}));
    EXPECT_EQ(r.raw, frame);
    EXPECT_FALSE(parser.hasPartial());
}

TEST(Parser, StalledFrameIsDroppedSoTheNextOneIsFound)
{
    // The cut-off header claims 56 data bytes, which would swallow the request behind it.
    const Bytes stream = cat({{0x55, 0xAA, 0x01, 0x00, 0x38, 0x00}, kGetState});
    RequestParser parser;
    parser.feed(stream.data(), stream.size());
    Request r;
    EXPECT_FALSE(parser.next(r));
    EXPECT_TRUE(parser.hasPartial());
    parser.dropPartial();
    ASSERT_TRUE(parser.next(r));
    EXPECT_EQ(r.code, 0x0C);
    EXPECT_EQ(parser.discardedBytes(), 6u);
}

TEST(Reply, MatchesTheWorkedExample)
{
    const Bytes value = {0x64, 0, 0, 0};
    EXPECT_EQ(buildReply(0, kStatusOk, value.data(), value.size()),
              (Bytes{0xAA, 0x55, 0, 0, 1, 0, 4, 0, 0x64, 0, 0, 0, 0xCB, 0x55}));
}

TEST(Reply, OddLengthIsPaddedAndLongDataClipped)
{
    const Bytes data(60, 0x33);
    const Bytes odd = buildReply(0x77, kStatusOk, data.data(), 3);
    ASSERT_EQ(odd.size(), 8u + 4u + 2u);
    EXPECT_EQ(odd[6], 3);
    EXPECT_EQ(odd[11], 0);
    EXPECT_EQ(checkWord(odd.data(), 12), uint16_t(odd[12] | (odd[13] << 8)));
    const Bytes clipped = buildReply(0x77, kStatusOk, data.data(), data.size());
    EXPECT_EQ(clipped.size(), 64u);
    EXPECT_EQ(clipped[6], kMaxReplyData);
}

TEST(Reply, EachCorruptionSpoilsOnlyItsField)
{
    const Bytes value = {0x64, 0, 0, 0};
    const Bytes good = buildReply(0, kStatusOk, value.data(), value.size());
    auto spoiled = [&](ReplyCorruption c) {
        Bytes r = good;
        corruptReply(r, c);
        return r;
    };
    auto checkHolds = [](const Bytes &r) {
        return checkWord(r.data(), r.size() - 2) == uint16_t(r[r.size() - 2] | (r.back() << 8));
    };
    const Bytes start = spoiled({true, false, false, false});
    EXPECT_NE(start[0] | start[1] << 8, kReplyStartWord);
    EXPECT_TRUE(checkHolds(start));
    const Bytes status = spoiled({false, true, false, false});
    const int st = status[4] | status[5] << 8;
    EXPECT_TRUE(st != kStatusOk && st != kStatusOkAlt);
    EXPECT_TRUE(checkHolds(status));
    const Bytes length = spoiled({false, false, true, false});
    EXPECT_EQ(length[6], 4 + kLengthCorruption);
    EXPECT_TRUE(checkHolds(length));
    const Bytes check = spoiled({false, false, false, true});
    EXPECT_TRUE(std::equal(good.begin(), good.end() - 2, check.begin()));
    EXPECT_FALSE(checkHolds(check));
}

} // namespace
