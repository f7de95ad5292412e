// How many exchanges fail over a path delayed by 0 to 100 ms each way, raw
// and with RFC 2217: at most one in 200, and none may give a wrong value.
// A matter of time as well as of correctness, so these run alone.
#include "delayedbridge.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>

namespace {

using namespace delayed;

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

// At most one exchange in 200 may fail, none may return a wrong value.
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
    EXPECT_EQ(tally.wrong, 0) << tally.firstWrong;
    EXPECT_LE(tally.failures * 200, tally.exchanges) << "more than 0.5 % failed";
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

} // namespace
