// Where POSIX ports come from: sysfs (checked on a made-up sysfs tree, never
// the machine's) and the virtual-port directory.
#include "kivra_portname.h"
#include "scratch_posix.h"
#include "serial/ports_posix.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace kivra;

namespace {

using scratch::ScopedEnv;
using scratch::TempDir;

// A sysfs tree of devices, buses and ttys in a temporary directory.
class FakeSysfs
{
public:
    explicit FakeSysfs(const fs::path &root) : root_(root)
    {
        fs::create_directories(root_ / "class/tty");
    }

    // A device directory with an optional subsystem and driver.
    void device(const std::string &path, const std::string &subsystem, const std::string &driver)
    {
        const fs::path dir = root_ / "devices" / path;
        fs::create_directories(dir);
        if (!subsystem.empty()) {
            fs::create_directories(root_ / "bus" / subsystem);
            fs::create_directory_symlink(root_ / "bus" / subsystem, dir / "subsystem");
        }
        if (!driver.empty()) {
            const fs::path target = root_ / "bus" / subsystem / "drivers" / driver;
            fs::create_directories(target);
            fs::create_directory_symlink(target, dir / "driver");
        }
    }

    // A tty whose device link points at devicePath (none when empty).
    void tty(const std::string &name, const std::string &devicePath,
             const std::string &type = std::string())
    {
        const fs::path dir = root_ / "devices/virtual/tty" / name;
        fs::create_directories(dir);
        if (!devicePath.empty()) {
            fs::create_directory_symlink(root_ / "devices" / devicePath, dir / "device");
        }
        if (!type.empty()) {
            std::ofstream(dir / "type") << type << "\n";
        }
        fs::create_directory_symlink(dir, root_ / "class/tty" / name);
    }

private:
    fs::path root_;
};

TEST(SysfsPorts, ListsHardwarePortsOnly)
{
    TempDir temp;
    FakeSysfs sys(temp.path());
    // USB adapters.
    sys.device("usb1/1-1/1-1:1.0/ttyUSB0", "usb-serial", "ftdi_sio");
    sys.tty("ttyUSB0", "usb1/1-1/1-1:1.0/ttyUSB0");
    sys.device("usb1/1-2/1-2:1.0", "usb", "cdc_acm");
    sys.tty("ttyACM10", "usb1/1-2/1-2:1.0");
    sys.tty("ttyACM2", "usb1/1-2/1-2:1.0");
    // Before Linux 6.3: legacy ports point straight at the 8250 platform
    // device; only the slot with a UART has a known type.
    sys.device("platform/serial8250", "platform", "serial8250");
    sys.tty("ttyS0", "platform/serial8250", "4");
    sys.tty("ttyS1", "platform/serial8250", "0");
    // From Linux 6.3: the device is a serial-base port below a serial-base
    // controller; the owning driver sits above them.
    sys.device("pnp0/00:01", "pnp", "serial");
    sys.device("pnp0/00:01/00:01:0", "serial-base", "ctrl");
    sys.device("pnp0/00:01/00:01:0/00:01:0.0", "serial-base", "port");
    sys.tty("ttyS2", "pnp0/00:01/00:01:0/00:01:0.0", "4");
    sys.device("platform/serial8250/serial8250:0", "serial-base", "ctrl");
    sys.device("platform/serial8250/serial8250:0/serial8250:0.3", "serial-base", "port");
    sys.tty("ttyS3", "platform/serial8250/serial8250:0/serial8250:0.3", "0");
    // A serial-base port whose parents have no driver at all.
    sys.device("orphan", "", "");
    sys.device("orphan/ctrl", "serial-base", "ctrl");
    sys.device("orphan/ctrl/port", "serial-base", "port");
    sys.tty("ttyS4", "orphan/ctrl/port", "4");
    // Consoles and pseudo-terminals have no device.
    sys.tty("tty1", "");
    sys.tty("console", "");

    const std::vector<std::string> expected = {"ttyACM2", "ttyACM10", "ttyS0", "ttyS2", "ttyUSB0"};
    EXPECT_EQ(listSysfsPorts(temp.path().string()), expected);
}

TEST(SysfsPorts, MissingTreeGivesNoPorts)
{
    EXPECT_TRUE(listSysfsPorts("/nonexistent-sysfs-root").empty());
}

TEST(VirtualPortDir, FallsBackFromVariableToRuntimeDirToTmp)
{
    {
        ScopedEnv port("KIVRA_PORT_DIR", "/x/ports");
        ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/7");
        EXPECT_EQ(virtualPortDirectory(), "/x/ports");
    }
    {
        ScopedEnv port("KIVRA_PORT_DIR", "");
        ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/7");
        EXPECT_EQ(virtualPortDirectory(), "/run/user/7/kivra-ports");
    }
    {
        ScopedEnv port("KIVRA_PORT_DIR", nullptr);
        ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
        EXPECT_EQ(virtualPortDirectory(), "/tmp/kivra-ports-" + std::to_string(getuid()));
    }
}

TEST(ResolvePortName, AbsolutePathsAsGivenRelativeOnesRefusedUrlsAsGiven)
{
    EXPECT_EQ(resolvePortName("/dev/pts/3").kind, PortKind::Device);
    EXPECT_EQ(resolvePortName("/dev/pts/3").path, "/dev/pts/3");
    for (const char *name : {"", "../../etc/passwd", "pts/3"}) {
        EXPECT_EQ(resolvePortName(name).kind, PortKind::None) << name;
        EXPECT_EQ(resolvePortName(name).path, "") << name;
    }
    // A URL is never looked up as a device, in the port directory or in /dev.
    EXPECT_EQ(resolvePortName("socket://host:4001").kind, PortKind::Network);
    EXPECT_EQ(resolvePortName("socket://host:4001").path, "socket://host:4001");
    EXPECT_EQ(resolvePortName("/dev/socket://x").kind, PortKind::Device);
}

} // namespace
