// kivra-sim.exe under wine: it publishes SIM1 by default and says where, the
// library lists it and opens it by that name, a second one under the name is
// refused, and one killed outright leaves no entry behind. The exported
// functions against it, faults and line pacing included, are the shared
// suite's (tst_winsim_ports).
#include "KivraLibrary.h"
#include "KivraPortList.h"
#include "kivra_portdir.h"
#include "winsim_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

bool listed(const std::string &name)
{
    std::vector<std::string> names;
    kivra::listPortNames(&names);
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(SimulatorWin, PublishesSim1AndAKilledOneLeavesNoEntry)
{
    const std::string dir = kivra::virtualPortDirectory();
    WinSim sim;
    ASSERT_TRUE(sim.start({})) << sim.line();
    const kivra::PortEntry entry = kivra::classifyPortEntry(dir, "SIM1");
    ASSERT_EQ(entry.kind, kivra::PortEntryKind::Network);
    EXPECT_EQ(entry.target.rfind("socket://127.0.0.1:", 0), 0u) << entry.target;
    EXPECT_EQ(sim.line(), "kivra-sim: port SIM1 at " + entry.target +
                              " (entry: " + kivra::portEntryPath(dir, "SIM1") + ")");
    EXPECT_TRUE(listed("SIM1"));

    const int handle = openSerial("SIM1");
    ASSERT_GT(handle, 0);
    EXPECT_EQ(setShutterOnTime(handle, 250), 0);
    EXPECT_EQ(getShutterOnTime(handle), 250);
    EXPECT_EQ(closeSerial(handle), 0);

    WinSim rival;
    EXPECT_FALSE(rival.start({}));
    EXPECT_NE(rival.line().find("taken by a running simulator"), std::string::npos) << rival.line();

    ASSERT_TRUE(sim.kill());
    EXPECT_TRUE(waitUntil([&] { return !kivra::hasPortEntry(dir, "SIM1"); }));
    EXPECT_FALSE(listed("SIM1"));
    EXPECT_EQ(openSerial("SIM1"), -1);
    // The name is free again.
    WinSim next;
    EXPECT_TRUE(next.start({})) << next.line();
}

} // namespace
