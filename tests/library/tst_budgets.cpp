// Which attempt budget each kind of exchange spends, read through the
// protocol's seam instead of timed: text writes and drive tuning get the
// short budget, the raw debug exchange its own, everything else the standard.
#include "KivraLibrary.h"
#include "protocol/protocol.h"
#include "protocol/teststretch.h"
#include "simulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

namespace {

struct BudgetRow
{
    const char *name;
    std::function<int(int)> call;
    int attempts;
};

const BudgetRow kRows[] = {
    {"setShutterOnTime", [](int h) { return setShutterOnTime(h, 100); }, 30},
    {"getShutterOnTime", [](int h) { return getShutterOnTime(h); }, 30},
    {"setIO1TriggerMode", [](int h) { return setIO1TriggerMode(h, 1); }, 30},
    {"getIO2TriggerMode", [](int h) { return getIO2TriggerMode(h); }, 30},
    {"getFrequency", [](int h) { return static_cast<int>(getFrequency(h)); }, 30},
    {"getDeviceName",
     [](int h) {
         char text[32];
         return getDeviceName(h, text, 32);
     },
     30},
    {"getSerialNumber",
     [](int h) {
         char text[32];
         return getSerialNumber(h, text, 32);
     },
     30},
    {"writeDevName", [](int h) { return writeDevName(h, "KIVRA", 5); }, 14},
    {"writeDevSerial", [](int h) { return writeDevSerial(h, "KS1", 3); }, 14},
    {"setPwmDuty", [](int h) { return setPwmDuty(h, 50); }, 14},
    {"setPwmHz", [](int h) { return setPwmHz(h, 1000); }, 14},
    {"setEndPointPwm", [](int h) { return setEndPointPwm(h, 10); }, 14},
    {"setEndPointTime", [](int h) { return setEndPointTime(h, 10); }, 14},
    {"sendDebugData",
     [](int h) {
         const char data[2] = {1, 2};
         return sendDebugData(h, 0x0C, 2, data);
     },
     28},
};

void PrintTo(const BudgetRow &row, std::ostream *out)
{
    *out << row.name;
}

class AttemptBudget : public testing::TestWithParam<BudgetRow>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim_.start("BUDGET"));
        handle_ = openSerial("BUDGET");
        ASSERT_GT(handle_, 0);
    }
    void TearDown() override { closeSerial(handle_); }

    kivrasim::Simulator sim_;
    int handle_ = -1;
};

TEST_P(AttemptBudget, EachExchangeKindSpendsItsOwn)
{
    // Another kind first, so a seam that kept an earlier value would show.
    ASSERT_EQ(getShutterState(handle_), 2);
    ASSERT_EQ(kivra::lastExchangeAttempts(), 30);
    // The budget is recorded whatever the outcome, so a loaded machine
    // that lets a short budget run out does not matter here.
    GetParam().call(handle_);
    EXPECT_EQ(kivra::lastExchangeAttempts(), GetParam().attempts);
}

// The stretch for behaviour tests: a silent controller is waited for the
// stretched budget, never less (a busy machine can only add to it).
TEST(BudgetStretch, SilentControllerIsWaitedForTheStretchedBudget)
{
    kivrasim::Simulator sim;
    kivrasim::Faults silent;
    silent.silent = true;
    sim.setFaults(silent);
    ASSERT_TRUE(sim.start("STRETCH"));
    const int handle = openSerial("STRETCH");
    ASSERT_GT(handle, 0);
    using Clock = std::chrono::steady_clock;
    const auto waited = [handle] {
        const auto start = Clock::now();
        EXPECT_EQ(getShutterOnTime(handle), -2);
        return Clock::now() - start;
    };
    EXPECT_GE(waited(), std::chrono::milliseconds(30));
    kivra::setBudgetStretchForTests(4);
    EXPECT_GE(waited(), std::chrono::milliseconds(120));
    kivra::setBudgetStretchForTests(1);
    EXPECT_EQ(kivra::budgetStretchForTests(), 1);
    closeSerial(handle);
}

INSTANTIATE_TEST_SUITE_P(Calls, AttemptBudget, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<BudgetRow> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
