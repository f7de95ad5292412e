// The low-latency request to the serial driver, through its seam: a driver
// that knows the setting gets it at open and its own back at close; one that
// refuses (a pseudo-terminal) changes nothing and the port still opens.
#include "KivraLibrary.h"
#include "serial/lowlatency.h"
#include "simulator.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kDriverFlags = ASYNC_SKIP_TEST | ASYNC_SPD_HI; // some flags of its own

// A driver that keeps serial settings, as a USB adapter's does.
struct FakeDriver
{
    bool knowsSetting = true;
    int flags = kDriverFlags;
    std::vector<int> flagsSet; // every TIOCSSERIAL, in order
};
FakeDriver driver;

int fakeRequest(int, unsigned long request, void *settings)
{
    auto *serial = static_cast<serial_struct *>(settings);
    if (!driver.knowsSetting) {
        errno = ENOTTY;
        return -1;
    }
    if (request == TIOCGSERIAL) {
        *serial = serial_struct{};
        serial->flags = driver.flags;
        return 0;
    }
    if (request == TIOCSSERIAL) {
        driver.flags = serial->flags;
        driver.flagsSet.push_back(serial->flags);
        return 0;
    }
    errno = EINVAL;
    return -1;
}

class LowLatency : public testing::Test
{
protected:
    void SetUp() override
    {
        driver = FakeDriver();
        ASSERT_TRUE(sim_.start("LATENCY"));
    }
    void TearDown() override { kivra::setSerialRequestForTests(nullptr); }

    kivrasim::Simulator sim_;
};

TEST_F(LowLatency, AcceptingDriverIsSwitchedAndRestoredAtClose)
{
    kivra::setSerialRequestForTests(fakeRequest);
    const int handle = openSerial("LATENCY");
    ASSERT_GT(handle, 0);
    ASSERT_EQ(driver.flagsSet.size(), 1u);
    EXPECT_EQ(driver.flagsSet[0], kDriverFlags | ASYNC_LOW_LATENCY) << "its other flags kept";
    EXPECT_EQ(getShutterState(handle), 2);
    closeSerial(handle);
    ASSERT_EQ(driver.flagsSet.size(), 2u);
    EXPECT_EQ(driver.flags, kDriverFlags);
}

TEST_F(LowLatency, DriverAlreadyLowIsLeftAlone)
{
    kivra::setSerialRequestForTests(fakeRequest);
    driver.flags = kDriverFlags | ASYNC_LOW_LATENCY;
    const int handle = openSerial("LATENCY");
    ASSERT_GT(handle, 0);
    closeSerial(handle);
    EXPECT_TRUE(driver.flagsSet.empty());
    EXPECT_EQ(driver.flags, kDriverFlags | ASYNC_LOW_LATENCY);
}

TEST_F(LowLatency, RefusingDriverChangesNothing)
{
    kivra::setSerialRequestForTests(fakeRequest);
    driver.knowsSetting = false;
    const int handle = openSerial("LATENCY");
    ASSERT_GT(handle, 0);
    EXPECT_EQ(getShutterState(handle), 2);
    closeSerial(handle);
    EXPECT_TRUE(driver.flagsSet.empty());
}

// The real request on a pseudo-terminal: refused by the system, and the
// port opens and works as before.
TEST_F(LowLatency, PseudoTerminalRefusesAndStillOpens)
{
    const int handle = openSerial("LATENCY");
    ASSERT_GT(handle, 0);
    EXPECT_EQ(getShutterState(handle), 2);
    EXPECT_EQ(closeSerial(handle), 0);
    serial_struct settings{};
    const int fd = ::open(sim_.ttyPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    errno = 0;
    EXPECT_NE(::ioctl(fd, TIOCGSERIAL, &settings), 0);
    EXPECT_TRUE(errno == ENOTTY || errno == EINVAL) << errno;
    ::close(fd);
}

} // namespace
