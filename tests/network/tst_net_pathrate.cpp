// The network ports' real budgets: how many exchanges fail over a path
// delayed by 0 to 100 ms each way, raw and with RFC 2217 (at most two in 100
// over all paths and five in 100 on any one, and none may give a wrong
// value), and how long a silent controller behind such a path is waited
// for. A matter of time as well as of correctness, so these run alone,
// against the library as shipped.
#include "delayedbridge.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ostream>

namespace {

using namespace delayed;
using Clock = std::chrono::steady_clock;

struct PathCase
{
    Kind kind;
    int delayMs; // each way
};

void PrintTo(const PathCase &row, std::ostream *out)
{
    *out << kindName(row.kind) << " " << row.delayMs << " ms";
}

class DelayedPath : public testing::TestWithParam<PathCase>
{
};

// Exchanges and failures over every path, judged once all have run: a busy
// machine costs a path a failure or two now and then, a wrong budget costs
// every path many.
struct AllPaths : testing::Environment
{
    static int exchanges;
    static int failures;
    void TearDown() override
    {
        std::printf("all paths: %d exchanges, %d failed\n", exchanges, failures);
        EXPECT_LE(failures * 50, exchanges) << "more than 2 % failed over all paths";
    }
};
int AllPaths::exchanges = 0;
int AllPaths::failures = 0;
const testing::Environment *const allPaths = testing::AddGlobalTestEnvironment(new AllPaths);

// At most five exchanges in 100 may fail on one path, none may return a wrong
// value.
TEST_P(DelayedPath, EveryValueIsItsCallsOwn)
{
    if (!Ser2Net::available()) {
        GTEST_SKIP() << "ser2net is not installed";
    }
    DelayedBridge bridge(GetParam().kind, milliseconds(GetParam().delayMs));
    ASSERT_TRUE(bridge.running);
    const int handle = openSerial(bridge.url.c_str());
    ASSERT_GT(handle, 0) << bridge.url;
    Tally tally;
    runRounds(handle, bridge.simulator, 70, tally);
    closeSerial(handle);
    std::printf("%s, %d ms each way: %d exchanges, %d failed, %d wrong\n",
                kindName(GetParam().kind), GetParam().delayMs, tally.exchanges, tally.failures,
                tally.wrong);
    AllPaths::exchanges += tally.exchanges;
    AllPaths::failures += tally.failures;
    EXPECT_EQ(tally.wrong, 0) << tally.firstWrong;
    EXPECT_LE(tally.failures * 20, tally.exchanges) << "more than 5 % failed";
}

INSTANTIATE_TEST_SUITE_P(Paths, DelayedPath,
                         testing::Values(PathCase{Kind::Raw, 0}, PathCase{Kind::Raw, 10},
                                         PathCase{Kind::Raw, 25}, PathCase{Kind::Raw, 50},
                                         PathCase{Kind::Raw, 100}, PathCase{Kind::Rfc2217, 0},
                                         PathCase{Kind::Rfc2217, 10}, PathCase{Kind::Rfc2217, 25},
                                         PathCase{Kind::Rfc2217, 50}, PathCase{Kind::Rfc2217, 100}),
                         [](const testing::TestParamInfo<PathCase> &info) {
                             return std::string(kindName(info.param.kind)) + "_" +
                                    std::to_string(info.param.delayMs) + "ms";
                         });

class SilentBehindPath : public testing::TestWithParam<Kind>
{
};

// A silent controller still gives -2, and no call waits for it longer than
// the largest allowance a path can earn plus the controller's own budget.
TEST_P(SilentBehindPath, FailsWithinItsBound)
{
    if (!Ser2Net::available()) {
        GTEST_SKIP() << "ser2net is not installed";
    }
    kivrasim::Faults silent;
    silent.silent = true;
    DelayedBridge bridge(GetParam(), milliseconds(50), silent);
    ASSERT_TRUE(bridge.running);
    const int handle = openSerial(bridge.url.c_str());
    ASSERT_GT(handle, 0);
    // Controller's budget (30 ms) + largest path allowance (2 s) + the round
    // trip (100 ms) + room for a busy machine.
    constexpr milliseconds kBound{30 + 2000 + 100 + 1000};
    for (int call = 0; call < 3; ++call) {
        const auto started = Clock::now();
        EXPECT_EQ(getShutterOnTime(handle), -2);
        const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - started);
        std::printf("%s silent call %d: %lld ms\n", kindName(GetParam()), call,
                    static_cast<long long>(took.count()));
        EXPECT_LT(took, kBound);
    }
    closeSerial(handle);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SilentBehindPath, testing::Values(Kind::Raw, Kind::Rfc2217),
                         [](const testing::TestParamInfo<Kind> &info) {
                             return std::string(kindName(info.param));
                         });

} // namespace
