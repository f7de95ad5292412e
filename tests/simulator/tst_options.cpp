// kivra-sim's command line.
#include "options.h"

#include <gtest/gtest.h>

using namespace kivrasim;

TEST(Options, FaultOptionsReachTheFaults)
{
    Options o;
    std::string error;
    ASSERT_TRUE(
        parseOptions({"--name", "SIM2", "--port-dir", "ports", "--silent", "--delay", "15",
                      "--chunk", "5", "--chunk-gap", "3", "--corrupt", "status", "--corrupt",
                      "check", "--status238", "--line-rate", "--drop-after", "0"},
                     o, error))
        << error;
    EXPECT_EQ(o.name, "SIM2");
    EXPECT_EQ(o.portDir, "ports");
    EXPECT_TRUE(o.faults.silent);
    EXPECT_EQ(o.faults.replyDelayMs, 15);
    EXPECT_EQ(o.faults.chunkBytes, 5);
    EXPECT_EQ(o.faults.chunkGapMs, 3);
    EXPECT_TRUE(o.faults.corruptStatus && o.faults.corruptCheck);
    EXPECT_FALSE(o.faults.corruptStart || o.faults.corruptLength);
    EXPECT_EQ(o.faults.okStatus, 238);
    EXPECT_TRUE(o.faults.lineRate);
    EXPECT_EQ(o.faults.dropAfter, 0);
}

TEST(Options, LateRepliesOnceOrAlways)
{
    Options o;
    std::string error;
    ASSERT_TRUE(parseOptions({"--late-once", "40"}, o, error)) << error;
    EXPECT_EQ(o.faults.lateOnceMs, 40);
    EXPECT_EQ(o.faults.replyDelayMs, 0);
    ASSERT_TRUE(parseOptions({"--late-always", "45"}, o, error)) << error;
    EXPECT_EQ(o.faults.replyDelayMs, 45);
}

TEST(Options, BadArgumentsAreRefused)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--delay"},          {"--delay", "-5"},
        {"--delay", "12ms"},  {"--corrupt", "word"},
        {"--late-once", "x"}, {"--chunk", "999999999999"},
        {"--name"},           {"--bogus"}};
    for (const auto &args : bad) {
        Options o;
        std::string error;
        EXPECT_FALSE(parseOptions(args, o, error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

// What the Windows tests pass to kivra-sim must come back as the same faults.
TEST(Options, FaultArgumentsReadBackAsTheFaults)
{
    Faults all;
    all.silent = true;
    all.replyDelayMs = 7;
    all.chunkBytes = 3;
    all.chunkGapMs = 2;
    all.corruptStart = all.corruptStatus = all.corruptLength = all.corruptCheck = true;
    all.lineRate = true;
    all.dropAfter = 0;
    all.okStatus = 238;
    Faults some;
    some.corruptLength = true;
    some.dropAfter = 4;

    for (const Faults &f : {Faults(), all, some}) {
        Options o;
        std::string error;
        ASSERT_TRUE(parseOptions(faultArguments(f), o, error)) << error;
        const Faults &g = o.faults;
        EXPECT_EQ(g.silent, f.silent);
        EXPECT_EQ(g.replyDelayMs, f.replyDelayMs);
        EXPECT_EQ(g.chunkBytes, f.chunkBytes);
        EXPECT_EQ(g.chunkGapMs, f.chunkGapMs);
        EXPECT_EQ(g.corruptStart, f.corruptStart);
        EXPECT_EQ(g.corruptStatus, f.corruptStatus);
        EXPECT_EQ(g.corruptLength, f.corruptLength);
        EXPECT_EQ(g.corruptCheck, f.corruptCheck);
        EXPECT_EQ(g.lineRate, f.lineRate);
        EXPECT_EQ(g.dropAfter, f.dropAfter);
        EXPECT_EQ(g.okStatus, f.okStatus);
    }
}
