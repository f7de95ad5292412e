// Frame code over plain byte buffers: the protocol's worked examples byte for
// byte, the order of the reply checks, the payload copy and odd lengths.
#include "frameoracle.h"
#include "protocol/frame.h"

#include <gtest/gtest.h>

#include <ostream>

#include <vector>

using namespace kivra;

namespace {

using oracle::appendWord;
using oracle::Bytes;
using oracle::wordXor;

Bytes build(int code, const Bytes &data)
{
    uint8_t buffer[kFrameBufferBytes] = {};
    const int size = buildFrame(buffer, code, static_cast<int>(data.size()), data.data());
    return size > 0 ? Bytes(buffer, buffer + size) : Bytes();
}

struct RequestExample
{
    const char *name;
    int code;
    Bytes data;
    Bytes wire;
};

// Rows print as their name in test listings.
void PrintTo(const RequestExample &row, std::ostream *out)
{
    *out << row.name;
}

class WorkedRequest : public testing::TestWithParam<RequestExample>
{
};

TEST_P(WorkedRequest, BuildsTheExactBytes)
{
    EXPECT_EQ(build(GetParam().code, GetParam().data), GetParam().wire);
}

Bytes textRequest()
{
    Bytes wire = {0x55, 0xAA, 0xFD, 0x00, 0x20, 0x00};
    wire.resize(wire.size() + 32, 0);
    wire.push_back(0x88);
    wire.push_back(0xAA);
    return wire;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, WorkedRequest,
    testing::Values(
        RequestExample{"getShutterState",
                       0x0C,
                       {0, 0, 0, 0},
                       {0x55, 0xAA, 0x0C, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5D, 0xAA}},
        RequestExample{"setShutterState1",
                       0x01,
                       {1, 0, 0, 0},
                       {0x55, 0xAA, 0x01, 0x00, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x51, 0xAA}},
        RequestExample{"setShutterOnTime100",
                       0x03,
                       {100, 0, 0, 0},
                       {0x55, 0xAA, 0x03, 0x00, 0x04, 0x00, 0x64, 0x00, 0x00, 0x00, 0x36, 0xAA}},
        RequestExample{"setPwmDuty50",
                       0x1000,
                       {50, 0, 0, 0},
                       {0x55, 0xAA, 0x00, 0x10, 0x04, 0x00, 0x32, 0x00, 0x00, 0x00, 0x63, 0xBA}},
        RequestExample{"getDeviceName", 0xFD, Bytes(32, 0), textRequest()},
        // No data: the check word is the start word XOR the code.
        RequestExample{"emptyData", 0x1234, {}, {0x55, 0xAA, 0x34, 0x12, 0x00, 0x00, 0x61, 0xB8}},
        // Only the code's low 16 bits travel.
        RequestExample{
            "codeLow16Bits", 0x51234, {}, {0x55, 0xAA, 0x34, 0x12, 0x00, 0x00, 0x61, 0xB8}},
        // An odd length keeps its count in the header and is padded with
        // one zero byte, so the check word follows the last data byte.
        RequestExample{"oddLengthPadded",
                       0x20,
                       {1, 2, 3},
                       {0x55, 0xAA, 0x20, 0x00, 0x03, 0x00, 0x01, 0x02, 0x03, 0x00, 0x74, 0xA8}}),
    [](const testing::TestParamInfo<RequestExample> &info) { return info.param.name; });

TEST(BuildFrame, RefusesWhatDoesNotFitOrIsAbsent)
{
    uint8_t buffer[kFrameBufferBytes] = {};
    const uint8_t data[kFrameBufferBytes] = {};
    EXPECT_EQ(buildFrame(nullptr, 1, 4, data), -1);
    EXPECT_EQ(buildFrame(buffer, 1, -1, data), -1);
    EXPECT_EQ(buildFrame(buffer, 1, kMaxRequestData + 1, data), -1);
    EXPECT_EQ(buildFrame(buffer, 1, kMaxRequestData, data), kFrameBufferBytes);
    EXPECT_EQ(buildFrame(buffer, 1, kMaxRequestData - 1, data), kFrameBufferBytes);
    // Data announced but absent: nothing to send.
    EXPECT_EQ(buildFrame(buffer, 1, 4, nullptr), 0);
}

TEST(CheckReply, AcceptsTheWorkedReply)
{
    const Bytes reply = {0xAA, 0x55, 0x00, 0x00, 0x01, 0x00, 0x04,
                         0x00, 0x64, 0x00, 0x00, 0x00, 0xCB, 0x55};
    EXPECT_EQ(oracle::reply({0x64, 0, 0, 0}), reply);
    EXPECT_EQ(checkReply(reply.data(), static_cast<int>(reply.size())), kOk);
    uint8_t value[4] = {};
    EXPECT_EQ(copyPayload(reply.data(), value, 4), 4);
    EXPECT_EQ(Bytes(value, value + 4), Bytes({0x64, 0, 0, 0}));
}

struct ReplyCase
{
    const char *name;
    Bytes reply;
    int count; // bytes received; -1 for a failed read
    int expected;
};

// Rows print as their name in test listings.
void PrintTo(const ReplyCase &row, std::ostream *out)
{
    *out << row.name;
}

class CheckReplyOrder : public testing::TestWithParam<ReplyCase>
{
};

TEST_P(CheckReplyOrder, FirstFailingTestDecides)
{
    Bytes reply = GetParam().reply;
    reply.resize(64, 0);
    EXPECT_EQ(checkReply(reply.data(), GetParam().count), GetParam().expected);
}

Bytes withByte(Bytes bytes, size_t index, uint8_t value)
{
    bytes[index] = value;
    return bytes;
}

// Changes a header word and recomputes the check word, so only that word is wrong.
Bytes resealed(Bytes bytes, size_t offset, uint16_t word)
{
    bytes[offset] = static_cast<uint8_t>(word & 0xFF);
    bytes[offset + 1] = static_cast<uint8_t>(word >> 8);
    const Bytes body(bytes.begin(), bytes.end() - 2);
    const uint16_t check = wordXor(body);
    bytes[bytes.size() - 2] = static_cast<uint8_t>(check & 0xFF);
    bytes[bytes.size() - 1] = static_cast<uint8_t>(check >> 8);
    return bytes;
}

const Bytes kGood = oracle::reply({0x64, 0, 0, 0});

INSTANTIATE_TEST_SUITE_P(
    Rows, CheckReplyOrder,
    testing::Values(
        ReplyCase{"good", kGood, 14, kOk}, ReplyCase{"failedRead", kGood, -1, kErrNoReply},
        ReplyCase{"nothing", {}, 0, kErrNoReply}, ReplyCase{"nineBytes", kGood, 9, kErrNoReply},
        ReplyCase{"shortBeatsStartWord", withByte(kGood, 0, 0x00), 9, kErrNoReply},
        ReplyCase{"startWordEvenWithGoodCheck", resealed(kGood, 0, 0x55AB), 14, kErrStartWord},
        ReplyCase{"startWordBeatsLength", withByte(kGood, 0, 0x00), 12, kErrStartWord},
        ReplyCase{"twelveOfFourteen", kGood, 12, kErrLength},
        ReplyCase{"elevenBytesNoData", oracle::reply({}), 11, kErrLength},
        ReplyCase{"announcesSixBytes", resealed(kGood, 6, 6), 14, kErrLength},
        ReplyCase{"lengthBeatsStatus", resealed(resealed(kGood, 4, 2), 6, 6), 14, kErrLength},
        ReplyCase{"status", resealed(kGood, 4, 2), 14, kErrStatus},
        ReplyCase{"statusBeatsCheck", withByte(kGood, 4, 0x02), 14, kErrStatus},
        ReplyCase{"status238", oracle::reply({0x64, 0, 0, 0}, 238), 14, kOk},
        ReplyCase{"anyWord1", oracle::reply({0x64, 0, 0, 0}, 1, 0xBEEF), 14, kOk},
        ReplyCase{"checkWord", withByte(kGood, 13, 0x56), 14, kErrCheckWord},
        ReplyCase{"dataCoveredByCheck", withByte(kGood, 9, 0x01), 14, kErrCheckWord},
        ReplyCase{"noData", oracle::reply({}), 10, kOk},
        ReplyCase{"oddLengthPadded", oracle::reply({0x11, 0x22, 0x33}), 14, kOk},
        // The check word right behind an odd data area is not a sound frame.
        ReplyCase{"oddLengthUnpadded",
                  {0xAA, 0x55, 0x00, 0x00, 0x01, 0x00, 0x03, 0x00, 0x11, 0x22, 0x33, 0x8A, 0x77},
                  13,
                  kErrLength}),
    [](const testing::TestParamInfo<ReplyCase> &info) { return info.param.name; });

TEST(CheckReply, AbsentBuffer)
{
    EXPECT_EQ(checkReply(nullptr, 14), kErrArgument);
}

TEST(CheckReply, OddLengthReplyMatchesItsWorkedBytes)
{
    const Bytes reply = {0xAA, 0x55, 0x00, 0x00, 0x01, 0x00, 0x03,
                         0x00, 0x11, 0x22, 0x33, 0x00, 0x8A, 0x77};
    EXPECT_EQ(oracle::reply({0x11, 0x22, 0x33}), reply);
    EXPECT_EQ(checkReply(reply.data(), 14), kOk);
}

// What counts as a whole reply frame when telling a late tail from a new
// reply: start word, length and check word right, any status.
TEST(IsReplyFrame, TellsFramesFromPieces)
{
    EXPECT_TRUE(isReplyFrame(kGood.data(), 14));
    EXPECT_TRUE(isReplyFrame(resealed(kGood, 4, 2).data(), 14)) << "a refusal is a frame too";
    EXPECT_TRUE(isReplyFrame(oracle::reply({0x11, 0x22, 0x33}).data(), 14));
    EXPECT_TRUE(isReplyFrame(oracle::reply({}).data(), 10));
    EXPECT_FALSE(isReplyFrame(kGood.data(), 12)) << "cut short";
    EXPECT_FALSE(isReplyFrame(kGood.data() + 2, 12)) << "a frame's tail";
    EXPECT_FALSE(isReplyFrame(withByte(kGood, 13, 0x56).data(), 14)) << "check word";
    EXPECT_FALSE(isReplyFrame(resealed(kGood, 0, 0x55AB).data(), 14)) << "start word";
    EXPECT_FALSE(isReplyFrame(resealed(kGood, 6, 6).data(), 14)) << "length";
    EXPECT_FALSE(isReplyFrame(oracle::request(0x0C, {0, 0, 0, 0}).data(), 12)) << "a request";
    EXPECT_FALSE(isReplyFrame(nullptr, 14));
}

TEST(CopyPayload, CopiesExactlyTheDataLength)
{
    const Bytes reply = oracle::reply({0x11, 0x22, 0x33});
    uint8_t target[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(copyPayload(reply.data(), target, 4), 3);
    EXPECT_EQ(Bytes(target, target + 4), Bytes({0x11, 0x22, 0x33, 0xEE}));
}

TEST(CopyPayload, RefusesMoreThanCapacityAndAbsentReply)
{
    const Bytes reply = oracle::reply({1, 2, 3, 4});
    uint8_t target[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(copyPayload(reply.data(), target, 3), -1);
    EXPECT_EQ(Bytes(target, target + 4), Bytes(4, 0xEE));
    EXPECT_EQ(copyPayload(nullptr, target, 4), -1);
}

TEST(CopyPayload, NoDataCopiesNothing)
{
    const Bytes reply = oracle::reply({});
    uint8_t target[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(copyPayload(reply.data(), target, 4), 0);
    EXPECT_EQ(Bytes(target, target + 4), Bytes(4, 0xEE));
}

} // namespace
