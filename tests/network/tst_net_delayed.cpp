// Network ports over a slow path: a relay of the tests' own delays, jitters
// and stalls the traffic between the library and a real ser2net bridging the
// simulated controller. Whatever the path does, no call may return another
// call's value: the off time holds a value nothing else holds, and the on
// time is read back against what the controller holds right after the read.
#include "budgetstretch.h"
#include "delayedbridge.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <thread>

namespace {

using namespace delayed;

class DelayedKind : public testing::TestWithParam<Kind>
{
protected:
    void SetUp() override
    {
        if (!Ser2Net::available()) {
            GTEST_SKIP() << "ser2net is not installed";
        }
    }
};

// Late controllers over a delayed path: results are each call's own or -2,
// and once the late frames are dropped (and the late controller's pace is
// part of the path's measure) every call gets its own again.
TEST_P(DelayedKind, LateRepliesNeverBecomeAnotherCallsResult)
{
    for (const bool everyReply : {false, true}) {
        kivrasim::Faults late;
        // Past the controller's budget, as the library under test stretches it.
        (everyReply ? late.replyDelayMs : late.lateOnceMs) = kivratest::stretchedMs(35);
        DelayedBridge bridge(GetParam(), milliseconds(25), late);
        ASSERT_TRUE(bridge.running);
        bridge.simulator.setParameter(kSetOnTime, 301);
        bridge.simulator.setParameter(0x05, 903); // cycle count
        bridge.simulator.setParameter(0x08, 54);  // light level
        const int h = openSerial(bridge.url.c_str());
        ASSERT_GT(h, 0);
        struct Call
        {
            const char *name;
            std::function<int()> run;
            int own;
        };
        const Call calls[] = {
            {"getShutterOnTime", [h] { return getShutterOnTime(h); }, 301},
            {"getLightLevel", [h] { return getLightLevel(h); }, 54},
            {"getShutterCycleCount", [h] { return getShutterCycleCount(h); }, 903},
            {"setShutterOnTime(7)", [h] { return setShutterOnTime(h, 7); }, -5},
            {"getShutterOffTime", [h] { return getShutterOffTime(h); }, kOffTime},
        };
        // Until one whole round gets its own results: a busy machine may
        // cost a round now and then, a wrong value never.
        constexpr int kMaxRounds = 10;
        bool wholeRound = false;
        for (int round = 0; round < kMaxRounds && !wholeRound; ++round) {
            wholeRound = true;
            for (const Call &call : calls) {
                const int result = call.run();
                EXPECT_TRUE(result == call.own || result == -2)
                    << call.name << " in round " << round << " gave " << result
                    << (everyReply ? " (every reply late)" : " (one reply late)");
                wholeRound = wholeRound && result == call.own;
            }
        }
        EXPECT_TRUE(wholeRound) << (everyReply ? "every reply late" : "one reply late");
        closeSerial(h);
    }
}

// Jitter that keeps order, and stalls longer than any budget that release
// everything held in one burst, while the calls go on.
TEST_P(DelayedKind, JitterAndStallsGiveNoWrongValue)
{
    DelayedBridge bridge(GetParam(), milliseconds(5));
    ASSERT_TRUE(bridge.running);
    bridge.proxy.setDelay(milliseconds(10), milliseconds(30));
    const int handle = openSerial(bridge.url.c_str());
    ASSERT_GT(handle, 0);
    Tally tally;
    std::atomic<bool> done{false};
    std::thread staller([&bridge, &done] {
        for (const int ms : {300, 900, 150, 1500}) {
            for (int i = 0; i < 40 && !done; ++i) {
                std::this_thread::sleep_for(milliseconds(10));
            }
            if (done) {
                return;
            }
            bridge.proxy.stall(milliseconds(ms));
        }
    });
    runRounds(handle, bridge.simulator, 60, tally);
    done = true;
    staller.join();
    closeSerial(handle);
    std::printf("%s jitter and stalls: %d exchanges, %d failed, %d wrong\n", kindName(GetParam()),
                tally.exchanges, tally.failures, tally.wrong);
    EXPECT_EQ(tally.wrong, 0) << tally.firstWrong;
}

INSTANTIATE_TEST_SUITE_P(Kinds, DelayedKind, testing::Values(Kind::Raw, Kind::Rfc2217),
                         [](const testing::TestParamInfo<Kind> &info) {
                             return std::string(kindName(info.param));
                         });

} // namespace
