// The Kivra adapter as Micro-Manager meets it: loaded by the real MMCore from
// a search path, driven against kivra-sim processes.
#include "simprocess_posix.h"

#include <MMCore.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

const char *const kLabel = "Shutter";

// The ranges and words the controller documents (library header).
struct NumberRange
{
    const char *property;
    int low;
    int high;
};
const NumberRange kNumbers[] = {
    {"OpenTime-ms", 20, 100000},        {"CloseTime-ms", 20, 100000},
    {"CycleCount", 1, 1000000},         {"BacklightBrightness-%", 0, 100},
    {"BacklightSleepTime-min", 0, 480}, {"BacklightSleepBrightness-%", 0, 100},
};
struct WordSet
{
    const char *property;
    std::vector<std::string> words;
};
const WordSet kWords[] = {
    {"Mode", {"auto", "manual", "single", "trigger"}},
    {"ValveType", {"KD08-40", "KD2-40"}},
    {"InitialState", {"closed", "open"}},
    {"TriggerInputEdge", {"falling", "rising"}},
    {"TriggerOutputLevel", {"high", "low"}},
    {"IO1Function", {"input", "output"}},
    {"IO2Function", {"input", "output"}},
};

std::string errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const CMMError &e) {
        return e.getFullMsg();
    }
    return "(no error)";
}

class AdapterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char *dir = std::getenv("KIVRA_MM_ADAPTER_DIR");
        ASSERT_TRUE(dir) << "KIVRA_MM_ADAPTER_DIR not set (run through ctest)";
        core.enableStderrLog(false);
        core.setDeviceAdapterSearchPaths({dir});
        core.loadDevice(kLabel, "Kivra", "KivraShutter");
    }

    // Loads nothing more: starts a simulator, points Port at it, initialises.
    void initialiseOn(const SimProcess &sim)
    {
        ASSERT_TRUE(sim.ok()) << "kivra-sim did not start";
        core.setProperty(kLabel, "Port", sim.name().c_str());
        core.initializeDevice(kLabel);
    }

    CMMCore core;
};

TEST_F(AdapterTest, OffersTheListedPortsBesideAFreePortProperty)
{
    SimProcess sim(uniquePortName("MML"));
    ASSERT_TRUE(sim.ok());
    EXPECT_TRUE(core.isPropertyPreInit(kLabel, "Port"));
    EXPECT_TRUE(core.getAllowedPropertyValues(kLabel, "Port").empty())
        << "a closed list would refuse network URLs";
    EXPECT_TRUE(core.isPropertyReadOnly(kLabel, "AvailablePorts"));
    const std::string listed = core.getProperty(kLabel, "AvailablePorts");
    EXPECT_NE(listed.find(sim.name()), std::string::npos) << listed;
    EXPECT_FALSE(core.deviceBusy(kLabel));
}

TEST_F(AdapterTest, OpensAndClosesTheShutterAndReadsTheControllersTexts)
{
    SimProcess sim(uniquePortName("MMO"));
    initialiseOn(sim);
    core.setShutterDevice(kLabel);
    core.setShutterOpen(true);
    EXPECT_TRUE(core.getShutterOpen());
    EXPECT_EQ(core.getProperty(kLabel, "State"), "1");
    core.setShutterOpen(false);
    EXPECT_FALSE(core.getShutterOpen());
    EXPECT_EQ(core.getProperty(kLabel, "State"), "0");
    core.setProperty(kLabel, "State", "1");
    EXPECT_TRUE(core.getShutterOpen()) << "State drives the shutter too";

    EXPECT_EQ(core.getProperty(kLabel, "DeviceName"), "KIVRA-SHUTTER");
    EXPECT_EQ(core.getProperty(kLabel, "SerialNumber"), "KS20240001");
    EXPECT_EQ(core.getProperty(kLabel, "FirmwareVersion"), "V2.0.3");
    EXPECT_TRUE(core.isPropertyReadOnly(kLabel, "SerialNumber"));
    EXPECT_FALSE(core.deviceBusy(kLabel));
}

TEST_F(AdapterTest, BusyLastsTheDelayAfterAStateChange)
{
    using Clock = std::chrono::steady_clock;
    SimProcess sim(uniquePortName("MMB"));
    initialiseOn(sim);
    core.setShutterDevice(kLabel);
    EXPECT_TRUE(core.usesDeviceDelay(kLabel));
    EXPECT_EQ(std::stod(core.getProperty(kLabel, "Delay_ms")), 0.0) << "no opening time known";
    core.setShutterOpen(true);
    EXPECT_FALSE(core.deviceBusy(kLabel)) << "no delay, never busy";

    const double delayMs = 400;
    core.setProperty(kLabel, "Delay_ms", std::to_string(delayMs).c_str());
    EXPECT_EQ(core.getDeviceDelayMs(kLabel), delayMs);
    for (bool open : {false, true}) {
        const Clock::time_point before = Clock::now();
        core.setShutterOpen(open);
        const bool busy = core.deviceBusy(kLabel);
        // Busy runs from the change, which came after `before`: while less
        // than the delay has passed since then, it must still be busy.
        if (Clock::now() - before < std::chrono::milliseconds(static_cast<int>(delayMs))) {
            EXPECT_TRUE(busy) << "open " << open;
        }
        core.waitForDevice(kLabel);
        const double waitedMs =
            std::chrono::duration<double, std::milli>(Clock::now() - before).count();
        EXPECT_GE(waitedMs, delayMs) << "open " << open;
        EXPECT_FALSE(core.deviceBusy(kLabel));
    }
    EXPECT_THROW(core.setProperty(kLabel, "Delay_ms", "-1"), CMMError);
    EXPECT_EQ(core.getDeviceDelayMs(kLabel), delayMs);
}

TEST_F(AdapterTest, EveryPropertyHasTheControllersRangeAndRoundTrips)
{
    SimProcess sim(uniquePortName("MMR"));
    initialiseOn(sim);
    for (const NumberRange &n : kNumbers) {
        SCOPED_TRACE(n.property);
        ASSERT_TRUE(core.hasPropertyLimits(kLabel, n.property));
        EXPECT_EQ(core.getPropertyLowerLimit(kLabel, n.property), n.low);
        EXPECT_EQ(core.getPropertyUpperLimit(kLabel, n.property), n.high);
        for (int value : {n.low, n.high}) {
            core.setProperty(kLabel, n.property, std::to_string(value).c_str());
            EXPECT_EQ(core.getProperty(kLabel, n.property), std::to_string(value));
        }
    }
    for (const WordSet &w : kWords) {
        SCOPED_TRACE(w.property);
        std::vector<std::string> allowed = core.getAllowedPropertyValues(kLabel, w.property);
        std::sort(allowed.begin(), allowed.end());
        EXPECT_EQ(allowed, w.words);
        for (const std::string &word : w.words) {
            core.setProperty(kLabel, w.property, word.c_str());
            EXPECT_EQ(core.getProperty(kLabel, w.property), word);
        }
    }
}

TEST_F(AdapterTest, OutOfRangeValuesAreRefusedWithTheAdaptersText)
{
    SimProcess sim(uniquePortName("MMV"));
    initialiseOn(sim);
    core.setProperty(kLabel, "OpenTime-ms", "50");

    const std::string low = errorOf([&] { core.setProperty(kLabel, "OpenTime-ms", "19"); });
    EXPECT_NE(low.find("OpenTime-ms 19 is out of range: use 20 to 100000 ms"), std::string::npos)
        << low;
    EXPECT_NE(low.find("nothing was sent"), std::string::npos) << low;
    const std::string high =
        errorOf([&] { core.setProperty(kLabel, "BacklightSleepTime-min", "481"); });
    EXPECT_NE(high.find("use 0 to 480 min"), std::string::npos) << high;
    const std::string word = errorOf([&] { core.setProperty(kLabel, "Mode", "fast"); });
    EXPECT_NE(word.find("use manual, single, auto or trigger"), std::string::npos) << word;
    const std::string text = errorOf([&] { core.setProperty(kLabel, "CycleCount", "ten"); });
    EXPECT_NE(text.find("is not a whole number"), std::string::npos) << text;

    EXPECT_EQ(core.getProperty(kLabel, "OpenTime-ms"), "50") << "the controller kept its value";
    EXPECT_EQ(core.getProperty(kLabel, "Mode"), "manual");
}

TEST_F(AdapterTest, AFailedOpenSaysWhyAndNamesTheResult)
{
    // MMCore attempts a device's initialisation once; one device per case.
    const std::string unset = errorOf([&] { core.initializeDevice(kLabel); });
    EXPECT_NE(unset.find("no port chosen"), std::string::npos) << unset;

    core.loadDevice("Absent", "Kivra", "KivraShutter");
    core.setProperty("Absent", "Port", "NOSUCHPORT");
    const std::string absent = errorOf([&] { core.initializeDevice("Absent"); });
    EXPECT_NE(absent.find("cannot open NOSUCHPORT: port NOSUCHPORT is absent"), std::string::npos)
        << absent;
    EXPECT_NE(absent.find("KIVRA_ERR_ARGUMENT, code -1"), std::string::npos) << absent;
}

TEST_F(AdapterTest, AControllerThatRefusesEverythingFailsInitialisationByName)
{
    // A spoilt status reads as the controller's refusal.
    SimProcess sim(uniquePortName("MMF"), {"--corrupt", "status"});
    ASSERT_TRUE(sim.ok());
    core.setProperty(kLabel, "Port", sim.name().c_str());
    const std::string error = errorOf([&] { core.initializeDevice(kLabel); });
    EXPECT_NE(error.find("KIVRA_ERR_REFUSED, code -5"), std::string::npos) << error;
    EXPECT_NE(error.find("the controller refused the request"), std::string::npos) << error;
}

TEST_F(AdapterTest, ASimulatorKilledMidSessionGivesAnErrorNotAHangAndComesBack)
{
    const std::string name = uniquePortName("MMK");
    auto sim = std::make_unique<SimProcess>(name);
    initialiseOn(*sim);
    core.setShutterDevice(kLabel);
    core.setShutterOpen(true);
    sim->kill();

    const std::string close = errorOf([&] { core.setShutterOpen(false); });
    EXPECT_NE(close.find("close the shutter"), std::string::npos) << close;
    EXPECT_NE(close.find("KIVRA_ERR_NO_REPLY, code -2"), std::string::npos) << close;
    // The line was given up; the next call tries the port again and says why
    // it cannot.
    const std::string read = errorOf([&] { core.getProperty(kLabel, "OpenTime-ms"); });
    EXPECT_NE(read.find("cannot open " + name), std::string::npos) << read;

    // Plugged in again: the same device works without a new initialisation,
    // and MMCore, which reads the shutter before it lets it go, can unload it.
    sim = std::make_unique<SimProcess>(name);
    ASSERT_TRUE(sim->ok());
    EXPECT_FALSE(core.getShutterOpen());
    EXPECT_EQ(core.getProperty(kLabel, "OpenTime-ms"), "100");
    EXPECT_NO_THROW(core.unloadDevice(kLabel));
}

TEST_F(AdapterTest, UnloadingGivesThePortBack)
{
    SimProcess sim(uniquePortName("MMU"));
    initialiseOn(sim);
    core.unloadDevice(kLabel);

    core.loadDevice(kLabel, "Kivra", "KivraShutter");
    core.setProperty(kLabel, "Port", sim.name().c_str());
    EXPECT_NO_THROW(core.initializeDevice(kLabel));
    EXPECT_EQ(core.getProperty(kLabel, "DeviceName"), "KIVRA-SHUTTER");
}

TEST_F(AdapterTest, DetectionTellsAnsweringPortsFromSilentOnes)
{
    ASSERT_TRUE(core.supportsDeviceDetection(kLabel));
    SimProcess silent(uniquePortName("MMS"), {"--silent"});
    SimProcess sim(uniquePortName("MMD"));
    ASSERT_TRUE(silent.ok() && sim.ok());

    core.setProperty(kLabel, "Port", silent.name().c_str());
    EXPECT_EQ(core.detectDevice(kLabel), MM::CanNotCommunicate);
    core.setProperty(kLabel, "Port", sim.name().c_str());
    EXPECT_EQ(core.detectDevice(kLabel), MM::CanCommunicate);

    // With no port chosen the listed ports are tried and the first that
    // answers is kept.
    core.setProperty(kLabel, "Port", "Undefined");
    EXPECT_EQ(core.detectDevice(kLabel), MM::CanCommunicate);
    EXPECT_EQ(core.getProperty(kLabel, "Port"), sim.name());
}

} // namespace
