// The exported functions as seen from the controller's side of the line:
// exact request bytes, how much reply each exchange collects, and replies the
// simulated controller would never send on its own. Needs the in-process
// simulator (requests(), scriptReply()).
#include "KivraLibrary.h"
#include "budgetstretch.h"
#include "frameoracle.h"
#include "simulator.h"

#include <gtest/gtest.h>

#include <ostream>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using oracle::Bytes;
using oracle::reply;
using oracle::request;
using oracle::seal;

Bytes pattern(size_t n)
{
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<uint8_t>(i + 1);
    }
    return bytes;
}

Bytes textField(const std::string &text)
{
    Bytes field(text.begin(), text.end());
    field.resize(32, 0);
    return field;
}

class SimulatedDevice : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim_.start("WIRE"));
        handle_ = openSerial("WIRE");
        ASSERT_GT(handle_, 0);
        sim_.clearRequests();
    }
    void TearDown() override { closeSerial(handle_); }

    Bytes onlyRequest() const
    {
        const auto all = sim_.requests();
        return all.size() == 1 ? all.front() : Bytes();
    }

    kivrasim::Simulator sim_;
    int handle_ = -1;
};

// One row per exported device function.
struct WireCase
{
    const char *name;
    std::function<double(int)> call;
    uint16_t code;
    Bytes data; // request data on the wire
    int wanted; // reply bytes the exchange collects
};

// Rows print as their name in test listings.
void PrintTo(const WireCase &row, std::ostream *out)
{
    *out << row.name;
}

const Bytes kValue = {0x04, 0x03, 0x02, 0x01}; // 0x01020304
const Bytes kZeros4(4, 0);
const Bytes kZeros32(32, 0);
const int kSent = 0x01020304;
char gText[64];

WireCase setter(const char *name, int (*fn)(int, int), uint16_t code, int wanted = 14)
{
    return {name, [fn](int h) { return fn(h, kSent); }, code, kValue, wanted};
}
WireCase getter(const char *name, int (*fn)(int), uint16_t code)
{
    return {name, [fn](int h) { return fn(h); }, code, kZeros4, 14};
}
WireCase textRead(const char *name, int (*fn)(int, char *, int), uint16_t code)
{
    return {name, [fn](int h) { return fn(h, gText, sizeof gText); }, code, kZeros32, 42};
}
WireCase textWrite(const char *name, int (*fn)(int, const char *, int), uint16_t code)
{
    return {name, [fn](int h) { return fn(h, "AB", 2); }, code, textField("AB"), 42};
}

std::vector<WireCase> allFunctions()
{
    return {
        setter("setShutterState", setShutterState, 0x01),
        setter("setShutterMode", setShutterMode, 0x02),
        setter("setShutterOnTime", setShutterOnTime, 0x03),
        setter("setShutterOffTime", setShutterOffTime, 0x04),
        setter("setShutterCycleCount", setShutterCycleCount, 0x05),
        setter("setShutterTriggerInMode", setShutterTriggerInMode, 0x06),
        setter("setShutterTriggerOutMode", setShutterTriggerOutMode, 0x07),
        setter("setLightLevel", setLightLevel, 0x08),
        setter("setLightTimeOut", setLightTimeOut, 0x09),
        setter("setLightIdleLevel", setLightIdleLevel, 0x0A),
        setter("setValveType", setValveType, 0x0B),
        getter("getShutterState", getShutterState, 0x0C),
        getter("getShutterMode", getShutterMode, 0x0D),
        getter("getShutterOnTime", getShutterOnTime, 0x0E),
        getter("getShutterOffTime", getShutterOffTime, 0x0F),
        getter("getShutterCycleCount", getShutterCycleCount, 0x10),
        getter("getShutterTriggerInMode", getShutterTriggerInMode, 0x11),
        getter("getShutterTriggerOutMode", getShutterTriggerOutMode, 0x12),
        getter("getLightLevel", getLightLevel, 0x13),
        getter("getLightTimeOut", getLightTimeOut, 0x14),
        getter("getLightIdleLevel", getLightIdleLevel, 0x15),
        getter("getValveType", getValveType, 0x16),
        {"getFrequency", [](int h) { return double(getFrequency(h)); }, 0x17, kZeros4, 14},
        setter("setInitialState", setInitialState, 0x18),
        getter("getInitialState", getInitialState, 0x19),
        setter("setIO1TriggerMode", setIO1TriggerMode, 0x1A),
        setter("setIO2TriggerMode", setIO2TriggerMode, 0x1B),
        getter("getIO1TriggerMode", getIO1TriggerMode, 0x1C),
        getter("getIO2TriggerMode", getIO2TriggerMode, 0x1D),
        textWrite("writeDevName", writeDevName, 0xFA),
        textWrite("writeDevSerial", writeDevSerial, 0xFC),
        textRead("getDeviceName", getDeviceName, 0xFD),
        textRead("getDeviceSoftVersion", getDeviceSoftVersion, 0xFE),
        textRead("getSerialNumber", getSerialNumber, 0xFF),
        setter("setPwmDuty", setPwmDuty, 0x1000),
        setter("setPwmHz", setPwmHz, 0x1001),
        setter("setEndPointPwm", setEndPointPwm, 0x1002),
        setter("setEndPointTime", setEndPointTime, 0x1003),
        {"sendDebugData",
         [](int h) {
             const uint8_t data[5] = {9, 8, 7, 6, 5};
             return double(sendDebugData(h, 0x12777, 5, data));
         },
         0x2777, Bytes({9, 8, 7, 6, 5}), 64},
    };
}

class CommandTable : public SimulatedDevice, public testing::WithParamInterface<WireCase>
{
};

TEST_P(CommandTable, SendsItsCodeAndData)
{
    GetParam().call(handle_);
    EXPECT_EQ(onlyRequest(), request(GetParam().code, GetParam().data));
}

TEST_P(CommandTable, CollectsExactlyItsWantedReply)
{
    // A reply that fills the wanted count is taken as it is...
    sim_.scriptReply(reply(pattern(static_cast<size_t>(GetParam().wanted - 10))));
    EXPECT_GE(GetParam().call(handle_), 0);
    // ...while two bytes more are cut at the wanted count and so refused.
    sim_.scriptReply(reply(pattern(static_cast<size_t>(GetParam().wanted - 8))));
    EXPECT_EQ(GetParam().call(handle_), -4);
}

INSTANTIATE_TEST_SUITE_P(AllFunctions, CommandTable, testing::ValuesIn(allFunctions()),
                         [](const testing::TestParamInfo<WireCase> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(SimulatedDevice, TextWriteSendsTheFirst32BytesZeroPadded)
{
    const std::string longText(40, 'x');
    EXPECT_EQ(writeDevName(handle_, longText.c_str(), 40), 0);
    EXPECT_EQ(writeDevSerial(handle_, "abcdef", 3), 0);
    const auto all = sim_.requests();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], request(0xFA, textField(std::string(32, 'x'))));
    EXPECT_EQ(all[1], request(0xFC, textField("abc")));
}

TEST_F(SimulatedDevice, TuningValuesReachTheController)
{
    EXPECT_EQ(setPwmDuty(handle_, 50), 0);
    EXPECT_EQ(setEndPointTime(handle_, -7), 0);
    EXPECT_EQ(sim_.tuning(0x1000), 50);
    EXPECT_EQ(sim_.tuning(0x1003), -7);
}

TEST_F(SimulatedDevice, RefusedArgumentsSendNothing)
{
    const uint8_t data[64] = {};
    char text[8];
    EXPECT_EQ(getDeviceName(handle_, text, -1), -1);
    EXPECT_EQ(getSerialNumber(handle_, nullptr, 8), -1);
    EXPECT_EQ(writeDevName(handle_, "abc", -1), -1);
    EXPECT_EQ(writeDevSerial(handle_, nullptr, 3), -1);
    EXPECT_EQ(sendDebugData(handle_, 1, -1, data), -1);
    EXPECT_EQ(sendDebugData(handle_, 1, 57, data), -1);
    EXPECT_EQ(sendDebugData(handle_, 1, 4, nullptr), -2);
    EXPECT_TRUE(sim_.requests().empty());
}

TEST_F(SimulatedDevice, TwoDataBytesAreAnUnsignedValue)
{
    sim_.scriptReply(reply({0xFF, 0xFF}));
    EXPECT_EQ(getShutterOnTime(handle_), 0xFFFF);
}

TEST_F(SimulatedDevice, OddReplyLengthIsPaddedAndDecoded)
{
    sim_.scriptReply(reply({0x11, 0x22, 0x33}));
    EXPECT_EQ(getShutterCycleCount(handle_), 0x332211);
}

TEST_F(SimulatedDevice, FrequencyBytesAreASingleFloat)
{
    const float hz = 12.5f;
    Bytes bits(4);
    std::memcpy(bits.data(), &hz, 4); // the test host is little-endian like the wire
    sim_.scriptReply(reply(bits));
    EXPECT_EQ(getFrequency(handle_), 12.5f);
}

TEST_F(SimulatedDevice, GoodReplyWithoutDataIsUnusable)
{
    sim_.scriptReply(reply({}));
    EXPECT_EQ(getShutterState(handle_), -10);
    sim_.scriptReply(reply({}));
    EXPECT_EQ(getFrequency(handle_), -10.0f);
    char text[8];
    std::memset(text, '#', sizeof text);
    sim_.scriptReply(reply({}));
    EXPECT_EQ(getDeviceName(handle_, text, 8), -10);
    EXPECT_EQ(std::string(text, 8), "########");
    // A setter does not look at the data.
    sim_.scriptReply(reply({}));
    EXPECT_EQ(setShutterState(handle_, 1), 0);
}

TEST_F(SimulatedDevice, ShortReplyToATextReadIsAcceptedAfterTheBudget)
{
    sim_.scriptReply(reply({'A', 'B', 'C', 'D'}));
    char text[40];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(getDeviceName(handle_, text, 40), 0);
    EXPECT_EQ(std::string(text, 4), "ABCD");
    EXPECT_EQ(std::string(text + 4, 28), std::string(28, '\0'));
    EXPECT_EQ(std::string(text + 32, 8), "########");
}

TEST_F(SimulatedDevice, CutOffRepliesFail)
{
    const Bytes good = reply(kValue);
    sim_.scriptReply(Bytes(good.begin(), good.begin() + 12));
    EXPECT_EQ(getShutterState(handle_), -4);
    sim_.scriptReply(Bytes(good.begin(), good.begin() + 9));
    EXPECT_EQ(getShutterState(handle_), -2);
}

TEST_F(SimulatedDevice, WrongStartWordWinsOverAGoodCheckWord)
{
    Bytes bad = {0xAA, 0x56, 0x00, 0x00, 0x01, 0x00, 0x04, 0x00};
    bad.insert(bad.end(), kValue.begin(), kValue.end());
    sim_.scriptReply(seal(bad));
    EXPECT_EQ(getShutterState(handle_), -3);
}

TEST_F(SimulatedDevice, Status238AndAnyReplyWord1AreGood)
{
    Bytes frame = {0xAA, 0x55, 0x34, 0x12, 0xEE, 0x00, 0x04, 0x00};
    frame.insert(frame.end(), kValue.begin(), kValue.end());
    sim_.scriptReply(seal(frame));
    EXPECT_EQ(getShutterState(handle_), kSent);
}

TEST_F(SimulatedDevice, LateReplyIsDiscardedByTheNextExchange)
{
    sim_.setParameter(0x03, 300);
    sim_.setParameter(0x04, 700);
    std::atomic<int> answered{0};
    sim_.setEventHandler([&answered](const kivrasim::Event &event) {
        if (event.kind == kivrasim::Event::Exchange) {
            ++answered;
        }
    });
    kivrasim::Faults faults;
    faults.replyDelayMs = kivratest::stretchedMs(80);
    sim_.setFaults(faults);
    EXPECT_EQ(getShutterOnTime(handle_), -2);

    // Let the late reply reach the port before the next request goes out.
    for (int i = 0; i < 200 && answered == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(answered, 1);
    sim_.setFaults(kivrasim::Faults());
    EXPECT_EQ(getShutterOffTime(handle_), 700);
    sim_.setEventHandler(nullptr);
}

// A reply cut short on the line owes its tail; the next call's reply, when it
// comes whole, is that call's and not the missing tail.
TEST_F(SimulatedDevice, CutShortReplyDoesNotCostTheNextCallItsReply)
{
    sim_.setParameter(0x04, 702);
    Bytes cut = reply({0x2D, 0x01, 0, 0}); // 301: the last two bytes lost on the line
    cut.resize(12);
    sim_.scriptReply(cut);
    EXPECT_EQ(getShutterOnTime(handle_), -4);
    EXPECT_EQ(getShutterOffTime(handle_), 702);
}

// The tail of a cut reply that does come, late, is dropped ahead of the next
// call's reply.
TEST_F(SimulatedDevice, LateTailIsDroppedAheadOfTheNextReply)
{
    sim_.setParameter(0x04, 702);
    const Bytes whole = reply({0x2D, 0x01, 0, 0});
    sim_.scriptReply(Bytes(whole.begin(), whole.end() - 2));
    EXPECT_EQ(getShutterOnTime(handle_), -4);
    // The missing two bytes arrive ahead of the next reply, as from a line
    // that held them up.
    Bytes tailThenReply(whole.end() - 2, whole.end());
    const Bytes next = reply({0xBE, 0x02, 0, 0});
    tailThenReply.insert(tailThenReply.end(), next.begin(), next.end());
    sim_.scriptReply(tailThenReply);
    EXPECT_EQ(getShutterOffTime(handle_), 702);
}

// A silent exchange, then a prompt reply, then a late one: each result is
// its own call's or -2, and the line recovers.
TEST_F(SimulatedDevice, SilenceThenPromptThenLateGiveNoOtherCallsValue)
{
    sim_.setParameter(0x03, 301);
    sim_.setParameter(0x04, 702);
    sim_.setParameter(0x05, 903);
    sim_.setParameter(0x08, 54);
    sim_.scriptReply({}); // the first request goes unanswered
    EXPECT_EQ(getShutterOnTime(handle_), -2);
    const int prompt = getShutterOffTime(handle_);
    EXPECT_TRUE(prompt == 702 || prompt == -2) << prompt;
    kivrasim::Faults lateOnce;
    lateOnce.lateOnceMs = kivratest::stretchedMs(35);
    sim_.setFaults(lateOnce);
    const int late = getShutterCycleCount(handle_);
    EXPECT_TRUE(late == 903 || late == -2) << late;
    const int after = getLightLevel(handle_);
    EXPECT_TRUE(after == 54 || after == -2) << after;
    EXPECT_EQ(getShutterOnTime(handle_), 301);
    EXPECT_EQ(getShutterOffTime(handle_), 702);
}

// A reply later than the budget (but within twice it) must never become a
// later call's result. Every parameter read here holds a value no other one
// holds, and the refused setter answers with another status than the
// getters, so a reply taken for the wrong call shows.
struct LateCase
{
    const char *name;
    int lateOnceMs;
    int everyReplyMs;
};

void PrintTo(const LateCase &row, std::ostream *out)
{
    *out << row.name;
}

// 35 ms of the controller's time: past the 30 ms budget, with room to spare
// before twice it (both scaled by the stretch of the library under test).
class LateReplies : public SimulatedDevice, public testing::WithParamInterface<LateCase>
{
};

TEST_P(LateReplies, NeverBecomeAnotherCallsResult)
{
    sim_.setParameter(0x03, 301); // on time
    sim_.setParameter(0x04, 702); // off time
    sim_.setParameter(0x05, 903); // cycle count
    sim_.setParameter(0x08, 54);  // light level
    kivrasim::Faults faults;
    faults.lateOnceMs = kivratest::stretchedMs(GetParam().lateOnceMs);
    faults.replyDelayMs = kivratest::stretchedMs(GetParam().everyReplyMs);
    sim_.setFaults(faults);

    struct Call
    {
        const char *name;
        std::function<int()> run;
        int own; // this call's result when its own reply comes in time
    };
    const int h = handle_;
    const std::vector<Call> calls = {
        {"getShutterOnTime", [h] { return getShutterOnTime(h); }, 301},
        {"getLightLevel", [h] { return getLightLevel(h); }, 54},
        {"getShutterCycleCount", [h] { return getShutterCycleCount(h); }, 903},
        {"setShutterOnTime(7)", [h] { return setShutterOnTime(h, 7); }, -5},
        {"getShutterOffTime", [h] { return getShutterOffTime(h); }, 702},
    };
    constexpr int kRounds = 3;
    int answered = 0;
    int lastRoundAnswered = 0;
    for (int round = 0; round < kRounds; ++round) {
        for (const Call &call : calls) {
            const int result = call.run();
            EXPECT_TRUE(result == call.own || result == -2)
                << call.name << " in round " << round << " gave " << result;
            if (result == call.own) {
                ++answered;
                lastRoundAnswered += round == kRounds - 1;
            }
        }
    }
    if (GetParam().lateOnceMs > 0) {
        // Once the late frame is dropped, the line is usable again.
        EXPECT_EQ(lastRoundAnswered, static_cast<int>(calls.size()));
    } else {
        EXPECT_EQ(answered, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Controllers, LateReplies,
                         testing::Values(LateCase{"oneLateReply", 35, 0},
                                         LateCase{"everyReplyLate", 0, 35}),
                         [](const testing::TestParamInfo<LateCase> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
