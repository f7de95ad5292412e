// The network path's round-trip estimate: TCP's smoothing (RFC 6298), the
// floor and ceiling of the allowance, and the room the first exchange of a
// connection gets when its set-up may not have crossed the whole path.
#include "net/roundtrip.h"

#include <gtest/gtest.h>

namespace {

using namespace kivra;
using std::chrono::duration_cast;
using std::chrono::microseconds;
using std::chrono::milliseconds;

long long us(RoundTrip::Duration d)
{
    return duration_cast<microseconds>(d).count();
}

TEST(RoundTrip, SmoothsAsTcpDoes)
{
    RoundTrip path;
    path.seed(milliseconds(100), true);
    EXPECT_EQ(us(path.smoothed()), 100000);
    EXPECT_EQ(us(path.variation()), 50000);
    EXPECT_EQ(us(path.allowance()), 300000); // 100 + 4 x 50

    // Variation from the old mean first: 3/4 x 50 + 1/4 x |100 - 200| = 62.5;
    // then the mean: 7/8 x 100 + 1/8 x 200 = 112.5.
    path.sample(milliseconds(200));
    EXPECT_EQ(us(path.variation()), 62500);
    EXPECT_EQ(us(path.smoothed()), 112500);
    EXPECT_EQ(us(path.allowance()), 112500 + 4 * 62500);

    // A steady path: the variation decays, the allowance closes in on it.
    for (int i = 0; i < 60; ++i) {
        path.sample(milliseconds(20));
    }
    EXPECT_NEAR(us(path.smoothed()), 20000, 200);
    EXPECT_LT(us(path.allowance()), 22000);
    EXPECT_GE(path.allowance(), path.smoothed() + kAllowanceGranularity);
}

TEST(RoundTrip, AllowanceStaysWithinItsBounds)
{
    RoundTrip path;
    path.seed(microseconds(0), true);
    EXPECT_EQ(path.allowance(), RoundTrip::Duration(kAllowanceGranularity));
    path.sample(std::chrono::seconds(30));
    EXPECT_EQ(path.allowance(), RoundTrip::Duration(kMaxPathAllowance));

    // A clock that went backwards counts as no time at all.
    RoundTrip backwards;
    RoundTrip zero;
    backwards.seed(milliseconds(10), true);
    zero.seed(milliseconds(10), true);
    backwards.sample(microseconds(-5000));
    zero.sample(microseconds(0));
    EXPECT_EQ(backwards.smoothed(), zero.smoothed());
    EXPECT_EQ(backwards.variation(), zero.variation());
}

TEST(RoundTrip, UnsettledFirstExchangeGetsRoomUntilItHasRun)
{
    RoundTrip path;
    path.seed(microseconds(150), false); // a relay answered the handshake
    EXPECT_EQ(path.allowance(), RoundTrip::Duration(kUnsettledAllowance));
    path.settle();
    EXPECT_LT(path.allowance(), milliseconds(2));

    // A reply that came: the path is measured and the room is not needed.
    RoundTrip answered;
    answered.seed(microseconds(150), false);
    answered.sample(milliseconds(200));
    answered.settle();
    EXPECT_GT(answered.allowance(), milliseconds(200));
    EXPECT_LT(answered.allowance(), kUnsettledAllowance);
}

TEST(RoundTrip, SeedStartsAfreshAndDecidesWhetherSettled)
{
    RoundTrip path;
    path.seed(milliseconds(1), false);
    path.seed(milliseconds(40), true); // the line settings' answers came
    EXPECT_EQ(us(path.smoothed()), 40000);
    EXPECT_EQ(us(path.allowance()), 40000 + 4 * 20000);
}

} // namespace
