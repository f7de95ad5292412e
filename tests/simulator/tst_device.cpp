// Device model: ranges, side effects of the state and mode commands, and the
// shutter's cycling computed from made-up instants.
#include "device.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace kivrasim;
using std::chrono::milliseconds;

namespace {

std::vector<uint8_t> le(int32_t v)
{
    const uint32_t u = uint32_t(v);
    return {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
}

struct RangeCase
{
    uint16_t setCode;
    uint16_t getCode;
    int32_t min;
    int32_t max;
};

class Ranges : public ::testing::TestWithParam<RangeCase>
{
};

TEST_P(Ranges, AcceptsTheBoundsAndRefusesJustOutside)
{
    const RangeCase &c = GetParam();
    DeviceModel model;
    const auto now = DeviceModel::Clock::now();
    const int32_t before = model.value(c.getCode, now);
    for (int32_t bad : {c.min - 1, c.max + 1}) {
        const DeviceReply r = model.handle(c.setCode, le(bad), now);
        EXPECT_FALSE(r.accepted) << bad;
        EXPECT_EQ(r.data.size(), kValueBytes);
        EXPECT_EQ(model.value(c.getCode, now), before) << "refused value was stored";
    }
    for (int32_t good : {c.min, c.max}) {
        EXPECT_TRUE(model.handle(c.setCode, le(good), now).accepted) << good;
        EXPECT_EQ(model.handle(c.getCode, le(0), now).data, le(good));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, Ranges,
    ::testing::Values(RangeCase{cmd::kSetState, cmd::kGetState, 1, 2},
                      RangeCase{cmd::kSetMode, cmd::kGetMode, 1, 4},
                      RangeCase{cmd::kSetOnTime, cmd::kGetOnTime, 20, 100000},
                      RangeCase{cmd::kSetOffTime, cmd::kGetOffTime, 20, 100000},
                      RangeCase{cmd::kSetCycleCount, cmd::kGetCycleCount, 1, 1000000},
                      RangeCase{cmd::kSetTriggerIn, cmd::kGetTriggerIn, 1, 2},
                      RangeCase{cmd::kSetTriggerOut, cmd::kGetTriggerOut, 1, 2},
                      RangeCase{cmd::kSetLightLevel, cmd::kGetLightLevel, 0, 100},
                      RangeCase{cmd::kSetLightTimeOut, cmd::kGetLightTimeOut, 0, 480},
                      RangeCase{cmd::kSetLightIdleLevel, cmd::kGetLightIdleLevel, 0, 100},
                      RangeCase{cmd::kSetValveType, cmd::kGetValveType, 1, 2},
                      RangeCase{cmd::kSetInitialState, cmd::kGetInitialState, 1, 2},
                      RangeCase{cmd::kSetIO1Mode, cmd::kGetIO1Mode, 1, 2},
                      RangeCase{cmd::kSetIO2Mode, cmd::kGetIO2Mode, 1, 2}),
    [](const ::testing::TestParamInfo<RangeCase> &info) {
        return "code_" + std::to_string(info.param.setCode);
    });

TEST(Device, SetterWithoutFourDataBytesIsRefused)
{
    DeviceModel model;
    EXPECT_FALSE(model.handle(cmd::kSetLightLevel, {50, 0}, DeviceModel::Clock::now()).accepted);
}

TEST(Device, TextWriteStoresUpToTheFirstZeroAndReadsBackAsField)
{
    DeviceModel model;
    const auto now = DeviceModel::Clock::now();
    std::vector<uint8_t> field(kTextFieldBytes, 0);
    std::memcpy(field.data(), "NEW\0junk", 8);
    const DeviceReply w = model.handle(cmd::kWriteName, field, now);
    EXPECT_TRUE(w.accepted);
    EXPECT_EQ(model.text(cmd::kReadName), "NEW");
    std::vector<uint8_t> expected(kTextFieldBytes, 0);
    std::memcpy(expected.data(), "NEW", 3);
    EXPECT_EQ(model.handle(cmd::kReadName, std::vector<uint8_t>(kTextFieldBytes), now).data,
              expected);
    // A full field carries no terminator.
    const std::vector<uint8_t> full(kTextFieldBytes, 'S');
    model.handle(cmd::kWriteSerial, full, now);
    EXPECT_EQ(model.text(cmd::kReadSerial), std::string(kTextFieldBytes, 'S'));
}

TEST(Device, UnknownCodeEchoesItsData)
{
    DeviceModel model;
    const std::vector<uint8_t> data = {9, 8, 7};
    const DeviceReply r = model.handle(0x4242, data, DeviceModel::Clock::now());
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.data, data);
}

TEST(Device, ManualStateFollowsTheCommand)
{
    DeviceModel model;
    const auto t0 = DeviceModel::Clock::now();
    EXPECT_EQ(model.value(cmd::kGetState, t0), kStateClosed);
    model.set(cmd::kSetState, kStateOpen, t0);
    EXPECT_EQ(model.value(cmd::kGetState, t0 + milliseconds(5000)), kStateOpen);
    EXPECT_EQ(model.frequency(t0 + milliseconds(5000)), 0.0f);
}

float frequencyFromReply(const DeviceReply &r)
{
    float f = 0;
    std::memcpy(&f, r.data.data(), sizeof f);
    return f;
}

TEST(Device, AutomaticModeCyclesTheCountThenRestsClosed)
{
    DeviceModel model;
    const auto t0 = DeviceModel::Clock::now();
    model.set(cmd::kSetOnTime, 30, t0);
    model.set(cmd::kSetOffTime, 70, t0);
    model.set(cmd::kSetCycleCount, 3, t0);
    model.set(cmd::kSetMode, kModeAutomatic, t0);
    model.handle(cmd::kSetState, le(kStateOpen), t0);
    const struct
    {
        int ms;
        int32_t state;
        float hz;
    } rows[] = {{0, 1, 10.0f},   {29, 1, 10.0f},  {30, 2, 10.0f}, {99, 2, 10.0f}, {100, 1, 10.0f},
                {250, 2, 10.0f}, {299, 2, 10.0f}, {300, 2, 0.0f}, {5000, 2, 0.0f}};
    for (const auto &row : rows) {
        const auto t = t0 + milliseconds(row.ms);
        EXPECT_EQ(model.value(cmd::kGetState, t), row.state) << row.ms << " ms";
        EXPECT_FLOAT_EQ(frequencyFromReply(model.handle(cmd::kGetFrequency, le(0), t)), row.hz)
            << row.ms << " ms";
    }
}

TEST(Device, CloseCommandAndModeChangeStopARun)
{
    DeviceModel model;
    const auto t0 = DeviceModel::Clock::now();
    model.set(cmd::kSetMode, kModeAutomatic, t0);
    model.set(cmd::kSetState, kStateOpen, t0);
    EXPECT_GT(model.frequency(t0 + milliseconds(10)), 0.0f);
    model.set(cmd::kSetState, kStateClosed, t0 + milliseconds(10));
    EXPECT_EQ(model.value(cmd::kGetState, t0 + milliseconds(210)), kStateClosed);
    EXPECT_EQ(model.frequency(t0 + milliseconds(210)), 0.0f);

    model.set(cmd::kSetState, kStateOpen, t0);
    model.set(cmd::kSetMode, kModeManual, t0 + milliseconds(10));
    EXPECT_EQ(model.frequency(t0 + milliseconds(210)), 0.0f);
    EXPECT_EQ(model.value(cmd::kGetState, t0 + milliseconds(210)), kStateClosed);
}

TEST(Device, SingleModeRunsOneCycle)
{
    DeviceModel model;
    const auto t0 = DeviceModel::Clock::now();
    model.set(cmd::kSetMode, kModeSingle, t0);
    model.set(cmd::kSetState, kStateOpen, t0);
    EXPECT_EQ(model.value(cmd::kGetState, t0 + milliseconds(50)), kStateOpen);
    EXPECT_EQ(model.value(cmd::kGetState, t0 + milliseconds(150)), kStateClosed);
    EXPECT_EQ(model.frequency(t0 + milliseconds(150)), 5.0f);
    EXPECT_EQ(model.frequency(t0 + milliseconds(200)), 0.0f);
}

TEST(Device, ExternalTriggerRunsOneCyclePerEdgeOnlyInTriggerMode)
{
    DeviceModel model;
    const auto t0 = DeviceModel::Clock::now();
    model.trigger(t0);
    EXPECT_EQ(model.value(cmd::kGetState, t0 + milliseconds(50)), kStateClosed);
    model.set(cmd::kSetMode, kModeExternalTrigger, t0);
    EXPECT_EQ(model.value(cmd::kGetState, t0 + milliseconds(50)), kStateClosed);
    model.trigger(t0 + milliseconds(100));
    EXPECT_EQ(model.value(cmd::kGetState, t0 + milliseconds(150)), kStateOpen);
    EXPECT_EQ(model.value(cmd::kGetState, t0 + milliseconds(350)), kStateClosed);
    model.trigger(t0 + milliseconds(400));
    EXPECT_EQ(model.value(cmd::kGetState, t0 + milliseconds(450)), kStateOpen);
}

} // namespace
