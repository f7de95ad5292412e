// The exported functions against a simulated controller reached as a port.
// Needs nothing but the port seam, so the same file runs wherever a simulated
// port can be had.
#include "KivraLibrary.h"
#include "budgetstretch.h"
#include "simport.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kTextBuffer = 64;

class DevicePort : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim_.isRunning());
        handle_ = openSerial(sim_.name().c_str());
        ASSERT_GT(handle_, 0);
    }
    void TearDown() override { EXPECT_EQ(closeSerial(handle_), 0); }

    SimPort sim_;
    int handle_ = -1;
};

struct ParameterCase
{
    const char *name;
    int (*set)(int, int);
    int (*get)(int);
    int value;   // a value the controller accepts
    int refused; // one it refuses
};

// Rows print as their name in test listings.
void PrintTo(const ParameterCase &row, std::ostream *out)
{
    *out << row.name;
}

class ParameterRoundTrip : public DevicePort, public testing::WithParamInterface<ParameterCase>
{
};

TEST_P(ParameterRoundTrip, SetValueReadsBack)
{
    const ParameterCase &row = GetParam();
    EXPECT_EQ(row.set(handle_, row.value), 0);
    EXPECT_EQ(row.get(handle_), row.value);
}

TEST_P(ParameterRoundTrip, RefusedValueIsStatusFailureAndKeepsTheOld)
{
    const ParameterCase &row = GetParam();
    const int before = row.get(handle_);
    ASSERT_GE(before, 0);
    EXPECT_EQ(row.set(handle_, row.refused), -5);
    EXPECT_EQ(row.get(handle_), before);
}

INSTANTIATE_TEST_SUITE_P(
    AllParameters, ParameterRoundTrip,
    testing::Values(
        ParameterCase{"ShutterState", setShutterState, getShutterState, 1, 3},
        ParameterCase{"ShutterMode", setShutterMode, getShutterMode, 2, 5},
        ParameterCase{"ShutterOnTime", setShutterOnTime, getShutterOnTime, 250, 19},
        ParameterCase{"ShutterOffTime", setShutterOffTime, getShutterOffTime, 100000, 100001},
        ParameterCase{"ShutterCycleCount", setShutterCycleCount, getShutterCycleCount, 1000000, 0},
        ParameterCase{"TriggerInMode", setShutterTriggerInMode, getShutterTriggerInMode, 2, 0},
        ParameterCase{"TriggerOutMode", setShutterTriggerOutMode, getShutterTriggerOutMode, 2, 3},
        ParameterCase{"LightLevel", setLightLevel, getLightLevel, 0, 101},
        ParameterCase{"LightTimeOut", setLightTimeOut, getLightTimeOut, 480, -1},
        ParameterCase{"LightIdleLevel", setLightIdleLevel, getLightIdleLevel, 55, 200},
        ParameterCase{"ValveType", setValveType, getValveType, 2, 3},
        ParameterCase{"InitialState", setInitialState, getInitialState, 1, 0}),
    [](const testing::TestParamInfo<ParameterCase> &info) { return info.param.name; });

#ifndef KIVRA_REDUCED
// The IO line functions are only in the full export set.
INSTANTIATE_TEST_SUITE_P(
    IOLines, ParameterRoundTrip,
    testing::Values(ParameterCase{"IO1TriggerMode", setIO1TriggerMode, getIO1TriggerMode, 2, 3},
                    ParameterCase{"IO2TriggerMode", setIO2TriggerMode, getIO2TriggerMode, 1, 9}),
    [](const testing::TestParamInfo<ParameterCase> &info) { return info.param.name; });
#endif

struct TextCase
{
    const char *name;
    int (*write)(int, const char *, int);
    int (*read)(int, char *, int);
};

// Rows print as their name in test listings.
void PrintTo(const TextCase &row, std::ostream *out)
{
    *out << row.name;
}

class TextRoundTrip : public DevicePort, public testing::WithParamInterface<TextCase>
{
};

TEST_P(TextRoundTrip, WrittenTextReadsBackTerminatedInALargerBuffer)
{
    EXPECT_EQ(GetParam().write(handle_, "Bench-7", 7), 0);
    char text[kTextBuffer] = {};
    EXPECT_EQ(GetParam().read(handle_, text, kTextBuffer), 0);
    EXPECT_STREQ(text, "Bench-7");
}

TEST_P(TextRoundTrip, LongTextIsCutTo32Bytes)
{
    const std::string longText = "0123456789abcdefghijklmnopqrstuvwxyzABCD"; // 40 bytes
    EXPECT_EQ(GetParam().write(handle_, longText.c_str(), 40), 0);
    char text[kTextBuffer] = {};
    EXPECT_EQ(GetParam().read(handle_, text, kTextBuffer), 0);
    EXPECT_EQ(std::string(text), longText.substr(0, 32));
}

TEST_P(TextRoundTrip, SmallBufferGetsExactlyItsSizeWithoutTerminator)
{
    EXPECT_EQ(GetParam().write(handle_, "ABCDEFGHIJKL", 12), 0);
    char text[16];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(GetParam().read(handle_, text, 8), 0);
    EXPECT_EQ(std::string(text, 9), "ABCDEFGH#");
}

TEST_P(TextRoundTrip, RefusesAbsentTextAndNegativeSizes)
{
    char text[8];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(GetParam().write(handle_, nullptr, 3), -1);
    EXPECT_EQ(GetParam().write(handle_, "abc", -1), -1);
    EXPECT_EQ(GetParam().read(handle_, nullptr, 8), -1);
    EXPECT_EQ(GetParam().read(handle_, text, -1), -1);
    EXPECT_EQ(std::string(text, 8), "########");
}

INSTANTIATE_TEST_SUITE_P(NameAndSerial, TextRoundTrip,
                         testing::Values(TextCase{"DeviceName", writeDevName, getDeviceName},
                                         TextCase{"SerialNumber", writeDevSerial, getSerialNumber}),
                         [](const testing::TestParamInfo<TextCase> &info) {
                             return info.param.name;
                         });

TEST_F(DevicePort, SoftwareVersionIsAText)
{
    char text[32 + 1] = {};
    EXPECT_EQ(getDeviceSoftVersion(handle_, text, 32), 0);
    EXPECT_GT(std::strlen(text), 0u);
}

TEST_F(DevicePort, DriveTuningIsAccepted)
{
    EXPECT_EQ(setPwmDuty(handle_, 50), 0);
    EXPECT_EQ(setPwmHz(handle_, 20000), 0);
#ifndef KIVRA_REDUCED
    EXPECT_EQ(setEndPointPwm(handle_, 30), 0);
    EXPECT_EQ(setEndPointTime(handle_, 15), 0);
#endif
}

TEST_F(DevicePort, FrequencyFollowsTheCycle)
{
    EXPECT_EQ(getFrequency(handle_), 0.0f);
    ASSERT_EQ(setShutterOnTime(handle_, 150), 0);
    ASSERT_EQ(setShutterOffTime(handle_, 50), 0);
    ASSERT_EQ(setShutterMode(handle_, 3), 0);
    ASSERT_EQ(setShutterState(handle_, 1), 0);
    EXPECT_EQ(getFrequency(handle_), 5.0f);
}

TEST_F(DevicePort, DebugDataIsAnswered)
{
    const uint8_t data[54] = {1, 2, 3, 4, 5};
    EXPECT_EQ(sendDebugData(handle_, 0x0777, 54, data), 0);
    EXPECT_EQ(sendDebugData(handle_, 0x0778, 3, data), 0);
    EXPECT_EQ(sendDebugData(handle_, 0x0779, 0, nullptr), 0);
}

TEST_F(DevicePort, DebugDataLengthOutsideTheFrameIsRefused)
{
    const uint8_t data[64] = {};
    EXPECT_EQ(sendDebugData(handle_, 0x0777, -1, data), -1);
    EXPECT_EQ(sendDebugData(handle_, 0x0777, 57, data), -1);
    // The port still works afterwards.
    EXPECT_EQ(getShutterOnTime(handle_), 100);
}

TEST_F(DevicePort, SecondOpenFailsUntilClosed)
{
    const std::string name = sim_.name();
    EXPECT_EQ(openSerial(name.c_str()), -1);
    EXPECT_EQ(isSerialOpen(name.c_str()), 1);
    EXPECT_EQ(closeSerial(handle_), 0);
    EXPECT_EQ(isSerialOpen(name.c_str()), 0);
    // Probing left the port free.
    handle_ = openSerial(name.c_str());
    EXPECT_GT(handle_, 0);
    EXPECT_EQ(getShutterOnTime(handle_), 100);
}

TEST_F(DevicePort, ClosedHandleFailsLikeASilentPort)
{
    const int closed = handle_;
    EXPECT_EQ(closeSerial(closed), 0);
    EXPECT_EQ(getShutterOnTime(closed), -2);
    EXPECT_EQ(getFrequency(closed), -2.0f);
    EXPECT_EQ(setShutterState(closed, 1), -2);
    EXPECT_EQ(writeDevName(closed, "x", 1), -2);
    char text[8] = {};
    EXPECT_EQ(getDeviceName(closed, text, 8), -2);
    EXPECT_EQ(closeSerial(closed), 0);
    handle_ = -1;
}

TEST(Ports, AbsentAndUnknownNames)
{
    EXPECT_EQ(openSerial(nullptr), -1);
    EXPECT_EQ(isSerialOpen(nullptr), -1);
    EXPECT_EQ(openSerial("KIVRA-NO-SUCH-PORT"), -1);
    EXPECT_EQ(isSerialOpen("KIVRA-NO-SUCH-PORT"), 1);
    EXPECT_EQ(listPorts(nullptr, 64), -1);
    EXPECT_EQ(closeSerial(-1), 0);
    EXPECT_EQ(getShutterState(-1), -2);
}

TEST(Ports, SimulatedPortIsListed)
{
    SimPort sim;
    ASSERT_TRUE(sim.isRunning());
    if (sim.name().find("://") != std::string::npos) {
        GTEST_SKIP() << "a URL is listed only through an entry of the port directory";
    }
    std::vector<char> buffer(4096);
    ASSERT_GT(listPorts(buffer.data(), static_cast<int>(buffer.size())), 0);
    const std::string list = "," + std::string(buffer.data()) + ",";
    EXPECT_NE(list.find("," + sim.name() + ","), std::string::npos) << list;
}

struct FaultCase
{
    const char *name;
    SimOptions options;
    int value; // getShutterOnTime's result
    int text;  // getDeviceName's result
};

// Rows print as their name in test listings.
void PrintTo(const FaultCase &row, std::ostream *out)
{
    *out << row.name;
}

class ControllerFault : public testing::TestWithParam<FaultCase>
{
};

TEST_P(ControllerFault, GivesItsResultCode)
{
    SimPort sim(GetParam().options);
    ASSERT_TRUE(sim.isRunning());
    const int handle = openSerial(sim.name().c_str());
    ASSERT_GT(handle, 0);
    EXPECT_EQ(getShutterOnTime(handle), GetParam().value);
    EXPECT_EQ(getFrequency(handle),
              static_cast<float>(GetParam().value < 0 ? GetParam().value : 0));
    char text[kTextBuffer] = {};
    EXPECT_EQ(getDeviceName(handle, text, kTextBuffer), GetParam().text);
    closeSerial(handle);
}

SimOptions silent()
{
    SimOptions o;
    o.silent = true;
    return o;
}
// Later than any budget a port can give: 30 ms on a local line, plus at most
// 2 s over a network path, however its round trip is measured (the 30 ms
// stretched as the library under test stretches them).
SimOptions late()
{
    SimOptions o;
    o.replyDelayMs = 2000 + kivratest::stretchedMs(100);
    return o;
}
SimOptions corrupt(bool SimOptions::*field)
{
    SimOptions o;
    o.*field = true;
    return o;
}
SimOptions status238()
{
    SimOptions o;
    o.okStatus = 238;
    return o;
}
SimOptions pieces(int bytes, int gapMs)
{
    SimOptions o;
    o.chunkBytes = bytes;
    o.chunkGapMs = gapMs;
    return o;
}
SimOptions lineRate()
{
    SimOptions o;
    o.lineRate = true;
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ControllerFault,
    testing::Values(
        FaultCase{"silent", silent(), -2, -2}, FaultCase{"lateBeyondBudget", late(), -2, -2},
        FaultCase{"startWord", corrupt(&SimOptions::corruptStart), -3, -3},
        FaultCase{"length", corrupt(&SimOptions::corruptLength), -4, -4},
        FaultCase{"status", corrupt(&SimOptions::corruptStatus), -5, -5},
        FaultCase{"checkWord", corrupt(&SimOptions::corruptCheck), -6, -6},
        FaultCase{"status238", status238(), 100, 0}, FaultCase{"inPieces", pieces(5, 1), 100, 0},
        FaultCase{"byteByByte", pieces(1, 0), 100, 0}, FaultCase{"lineRate", lineRate(), 100, 0}),
    [](const testing::TestParamInfo<FaultCase> &info) { return info.param.name; });

TEST(HangUp, PortDroppedMidSessionFailsWithoutHanging)
{
    SimOptions options;
    options.dropAfter = 1;
    SimPort sim(options);
    ASSERT_TRUE(sim.isRunning());
    const int handle = openSerial(sim.name().c_str());
    ASSERT_GT(handle, 0);
    EXPECT_EQ(getShutterOnTime(handle), 100);
    EXPECT_EQ(getShutterOnTime(handle), -2);
    EXPECT_EQ(getShutterOffTime(handle), -2);
    EXPECT_EQ(getFrequency(handle), -2.0f);
    EXPECT_EQ(closeSerial(handle), 0);
}

} // namespace
