// The telnet codec of rfc2217:// ports, byte for byte.
#include "net/telnet.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace {

using kivra::TelnetCodec;
using Bytes = std::vector<uint8_t>;
namespace t = kivra::telnet;

constexpr uint8_t kEcho = 1;
constexpr uint8_t kNop = 241;
constexpr uint8_t kGoAhead = 249;
constexpr uint8_t kDataMark = 242;

// The server's side of a completed negotiation: it agrees to all we ask.
const Bytes kServerAgrees{
    t::kIac, t::kDo, t::kOptBinary,          t::kIac, t::kWill, t::kOptBinary,
    t::kIac, t::kDo, t::kOptSuppressGoAhead, t::kIac, t::kWill, t::kOptSuppressGoAhead,
    t::kIac, t::kDo, t::kOptComPort};

Bytes decodeAll(TelnetCodec &codec, const Bytes &in, Bytes *replies = nullptr)
{
    Bytes data;
    Bytes answers;
    codec.decode(in.data(), in.size(), data, answers);
    if (replies) {
        *replies = answers;
    }
    return data;
}

TelnetCodec agreedCodec()
{
    TelnetCodec codec;
    codec.openingRequests();
    decodeAll(codec, kServerAgrees);
    return codec;
}

TEST(TelnetCodec, OpeningAsksForBinaryGoAheadAndComPort)
{
    TelnetCodec codec;
    EXPECT_EQ(codec.openingRequests(),
              (Bytes{t::kIac, t::kWill, 0, t::kIac, t::kDo, 0, t::kIac, t::kWill, 3, t::kIac,
                     t::kDo, 3, t::kIac, t::kWill, 44}));
    EXPECT_FALSE(codec.negotiationSettled());
    Bytes replies;
    decodeAll(codec, kServerAgrees, &replies);
    // Answers to our own requests are not answered again.
    EXPECT_TRUE(replies.empty());
    EXPECT_TRUE(codec.negotiationSettled());
    EXPECT_TRUE(codec.comPortAccepted());
}

struct NegotiationCase
{
    const char *name;
    Bytes server;  // what the server sends after our opening
    Bytes replies; // what we owe it
    bool settled;  // nothing of ours left undecided
    bool comPort;  // the control option accepted
};

void PrintTo(const NegotiationCase &row, std::ostream *out)
{
    *out << row.name;
}

class Negotiation : public testing::TestWithParam<NegotiationCase>
{
};

TEST_P(Negotiation, AnswersOnlyRealChanges)
{
    TelnetCodec codec;
    codec.openingRequests();
    Bytes replies;
    const Bytes data = decodeAll(codec, GetParam().server, &replies);
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(replies, GetParam().replies);
    EXPECT_EQ(codec.negotiationSettled(), GetParam().settled);
    EXPECT_EQ(codec.comPortAccepted(), GetParam().comPort);
}

Bytes withAgreement(const Bytes &extra)
{
    Bytes all = kServerAgrees;
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Negotiation,
    testing::Values(
        NegotiationCase{"echoOfferedIsRefused",
                        withAgreement({t::kIac, t::kWill, kEcho}),
                        {t::kIac, t::kDont, kEcho},
                        true,
                        true},
        NegotiationCase{"unknownRequestIsRefused",
                        withAgreement({t::kIac, t::kDo, 24}),
                        {t::kIac, t::kWont, 24},
                        true,
                        true},
        NegotiationCase{"repeatedAgreementIsIgnored", withAgreement(kServerAgrees), {}, true, true},
        NegotiationCase{
            "refusalOfUnaskedIsIgnored", withAgreement({t::kIac, t::kDont, kEcho}), {}, true, true},
        NegotiationCase{"comPortRefused",
                        {t::kIac, t::kDo, 0, t::kIac, t::kWill, 0, t::kIac, t::kDo, 3, t::kIac,
                         t::kWill, 3, t::kIac, t::kDont, 44},
                        {},
                        true,
                        false},
        NegotiationCase{"withdrawnBinaryIsAcknowledged",
                        withAgreement({t::kIac, t::kWont, t::kOptBinary}),
                        {t::kIac, t::kDont, t::kOptBinary},
                        true,
                        true},
        NegotiationCase{"noAnswerYet", {t::kIac, t::kDo, 0}, {}, false, false}),
    [](const testing::TestParamInfo<NegotiationCase> &info) { return info.param.name; });

struct StreamCase
{
    const char *name;
    Bytes wire;
    Bytes data;
};

void PrintTo(const StreamCase &row, std::ostream *out)
{
    *out << row.name;
}

class DataStream : public testing::TestWithParam<StreamCase>
{
};

TEST_P(DataStream, KeepsDataDropsCommandsInOneGoOrByteByByte)
{
    TelnetCodec whole = agreedCodec();
    EXPECT_EQ(decodeAll(whole, GetParam().wire), GetParam().data);

    TelnetCodec pieces = agreedCodec();
    Bytes data;
    Bytes replies;
    for (uint8_t b : GetParam().wire) {
        pieces.decode(&b, 1, data, replies);
    }
    EXPECT_EQ(data, GetParam().data);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DataStream,
    testing::Values(
        StreamCase{"plain", {0x55, 0xAA, 0x0D, 0x00, 0x0A}, {0x55, 0xAA, 0x0D, 0x00, 0x0A}},
        StreamCase{"doubledIac", {0x01, 0xFF, 0xFF, 0x02}, {0x01, 0xFF, 0x02}},
        StreamCase{"twoDoubled", {0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF}},
        StreamCase{"commandsDropped",
                   {0x01, t::kIac, kNop, 0x02, t::kIac, kGoAhead, t::kIac, kDataMark, 0x03},
                   {0x01, 0x02, 0x03}},
        StreamCase{"negotiationInside", {0x01, t::kIac, t::kWill, kEcho, 0x02}, {0x01, 0x02}},
        StreamCase{"answerInside",
                   {0x01, t::kIac, t::kSb, 44, 112, 1, t::kIac, t::kSe, 0x02},
                   {0x01, 0x02}},
        StreamCase{"iacInsideAnswer",
                   {t::kIac, t::kSb, 44, 101, 0, 0, t::kIac, t::kIac, t::kIac, t::kSe, 0x07},
                   {0x07}},
        StreamCase{"overlongSubnegotiation",
                   {t::kIac, t::kSb, 44, 106, 1,  2,  3,  4,  5,  6,       7,      8,   9,  10,
                    11,      12,     13, 14,  15, 16, 17, 18, 19, 20,      21,     22,  23, 24,
                    25,      26,     27, 28,  29, 30, 31, 32, 33, t::kIac, t::kSe, 0x09},
                   {0x09}},
        StreamCase{
            "brokenSubnegotiationEnds", {t::kIac, t::kSb, 44, 1, t::kIac, kNop, 0x05}, {0x05}}),
    [](const testing::TestParamInfo<StreamCase> &info) { return info.param.name; });

TEST(TelnetCodec, CrNulIsUndoneOnlyWithoutBinary)
{
    TelnetCodec text;
    text.openingRequests(); // the server never agrees to binary
    EXPECT_EQ(decodeAll(text, {0x0D, 0x00, 0x41, 0x0D, 0x0A}), (Bytes{0x0D, 0x41, 0x0D, 0x0A}));

    TelnetCodec binary = agreedCodec();
    EXPECT_EQ(decodeAll(binary, {0x0D, 0x00}), (Bytes{0x0D, 0x00}));
}

TEST(TelnetCodec, SendingDoublesIacAndPadsCrOnlyWithoutBinary)
{
    const Bytes frame{0x55, 0xAA, 0xFF, 0x0D, 0xFF, 0xFF};
    Bytes out;
    agreedCodec().encodeData(frame.data(), frame.size(), out);
    EXPECT_EQ(out, (Bytes{0x55, 0xAA, 0xFF, 0xFF, 0x0D, 0xFF, 0xFF, 0xFF, 0xFF}));

    TelnetCodec text;
    text.openingRequests();
    out.clear();
    text.encodeData(frame.data(), frame.size(), out);
    EXPECT_EQ(out, (Bytes{0x55, 0xAA, 0xFF, 0xFF, 0x0D, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(TelnetCodec, LineSettingsAndPurgeRequests)
{
    EXPECT_EQ(TelnetCodec::lineSettingsRequests(115200, 8, t::kParityNone, t::kStopSizeTwo),
              (Bytes{t::kIac, t::kSb,  44,      1,      0x00, 0x01,    0xC2,    0x00,
                     t::kIac, t::kSe,  t::kIac, t::kSb, 44,   2,       8,       t::kIac,
                     t::kSe,  t::kIac, t::kSb,  44,     3,    1,       t::kIac, t::kSe,
                     t::kIac, t::kSb,  44,      4,      2,    t::kIac, t::kSe}));
    const uint8_t receive = t::kPurgeServerReceive;
    EXPECT_EQ(TelnetCodec::comPortRequest(t::kPurgeData, &receive, 1),
              (Bytes{t::kIac, t::kSb, 44, 12, 1, t::kIac, t::kSe}));
    // A value byte 0xFF is doubled inside the subnegotiation too.
    EXPECT_EQ(TelnetCodec::lineSettingsRequests(0xFF, 8, 1, 2).size(), 32u);
}

TEST(TelnetCodec, RecordsAnswersWithTheirValues)
{
    TelnetCodec codec = agreedCodec();
    EXPECT_FALSE(codec.answered(t::kSetBaudRate));
    decodeAll(codec, {t::kIac, t::kSb, 44, 101, 0x00, 0x01, 0xC2, 0x00, t::kIac, t::kSe, t::kIac,
                      t::kSb, 44, 102, 0xFF, 0xFF, t::kIac, t::kSe});
    EXPECT_TRUE(codec.answered(t::kSetBaudRate));
    EXPECT_EQ(codec.answer(t::kSetBaudRate), (Bytes{0x00, 0x01, 0xC2, 0x00}));
    EXPECT_EQ(codec.answer(t::kSetDataSize), (Bytes{0xFF}));
    EXPECT_FALSE(codec.answered(t::kSetParity));
    // Notifications and answers of other options are not answers of ours.
    decodeAll(codec, {t::kIac, t::kSb, 44, 106, 0x60, t::kIac, t::kSe, t::kIac, t::kSb, 24, 103, 1,
                      t::kIac, t::kSe});
    EXPECT_FALSE(codec.answered(t::kSetParity));
    codec.forget(t::kSetBaudRate);
    EXPECT_FALSE(codec.answered(t::kSetBaudRate));
}

} // namespace
