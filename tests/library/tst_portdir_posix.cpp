// The shared check of the virtual-port directory, played against the hostile
// cases: a directory someone else made or opened up, a link standing in for
// the directory, links to devices that are not ports, and links left by a
// publisher that died. Other users are played through PortTrust, so every case
// runs the same as root or as an ordinary user.
#include "kivra_portdir.h"
#include "kivra_portname.h"
#include "publishedport.h"
#include "scratch_posix.h"
#include "serial/ports_posix.h"
#include "ttydevice_linux.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace kivra;

namespace {

using scratch::ScopedEnv;
using scratch::TempDir;

// A pseudo-terminal pair owned by this process.
class Pty
{
public:
    Pty()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
            const char *name = ptsname(master_);
            slave_ = name ? name : "";
        }
    }
    ~Pty()
    {
        if (master_ >= 0) {
            close(master_);
        }
    }
    const std::string &slave() const { return slave_; }
    dev_t device() const
    {
        struct stat info
        {
        };
        return stat(slave_.c_str(), &info) == 0 ? info.st_rdev : 0;
    }

private:
    int master_ = -1;
    std::string slave_;
};

PortTrust anotherUser()
{
    PortTrust trust;
    trust.user = trust.user + 1;
    return trust;
}

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

struct DirCase
{
    const char *what;
    PortDirStatus expected;
    // Turns the fresh private directory `made` into the case; returns the
    // path to check.
    std::string (*prepare)(const std::string &made, PortTrust &trust);
};

const DirCase kDirCases[] = {
    {"private and ours", PortDirStatus::Usable,
     [](const std::string &made, PortTrust &) { return made; }},
    {"mode 1777, as one left for everyone in /tmp", PortDirStatus::OpenToOthers,
     [](const std::string &made, PortTrust &) {
         chmod(made.c_str(), 01777);
         return made;
     }},
    {"group may read", PortDirStatus::OpenToOthers,
     [](const std::string &made, PortTrust &) {
         chmod(made.c_str(), 0740);
         return made;
     }},
    {"owned by another user", PortDirStatus::NotOwned,
     [](const std::string &made, PortTrust &trust) {
         trust = anotherUser();
         return made;
     }},
    {"a link to a private directory", PortDirStatus::NotADirectory,
     [](const std::string &made, PortTrust &) {
         const std::string link = made + ".link";
         symlink(made.c_str(), link.c_str());
         return link;
     }},
    {"a regular file", PortDirStatus::NotADirectory,
     [](const std::string &made, PortTrust &) {
         const std::string file = made + ".file";
         std::ofstream(file) << "x";
         return file;
     }},
    {"missing", PortDirStatus::Missing,
     [](const std::string &made, PortTrust &) { return made + ".absent"; }},
};

TEST(PortDirectoryCheck, OnlyAPrivateDirectoryOfOurOwnIsUsedAtAll)
{
    for (const DirCase &c : kDirCases) {
        SCOPED_TRACE(c.what);
        TempDir base;
        const std::string made = base.str() + "/ports";
        ASSERT_EQ(mkdir(made.c_str(), 0700), 0);
        Pty pty;
        ASSERT_FALSE(pty.slave().empty());
        PublishedPort live(made, "SIM1", pty.slave());
        ASSERT_TRUE(live.ok());

        PortTrust trust;
        const std::string dir = c.prepare(made, trust);
        EXPECT_EQ(checkPortDirectory(dir, trust), c.expected);
        const bool usable = c.expected == PortDirStatus::Usable;
        EXPECT_EQ(listPortEntries(dir, trust).size(), usable ? 1u : 0u);
        EXPECT_EQ(classifyPortEntry(dir, "SIM1", trust).kind,
                  usable ? PortEntryKind::Device : PortEntryKind::None);
        std::string error;
        EXPECT_EQ(preparePortDirectory(dir, error, trust),
                  usable || c.expected == PortDirStatus::Missing);
        EXPECT_EQ(error.empty(), usable || c.expected == PortDirStatus::Missing) << error;
    }
}

TEST(PortDirectoryCheck, PrepareMakesMissingLevelsPrivate)
{
    TempDir base;
    const std::string dir = base.str() + "/a/b";
    std::string error;
    ASSERT_TRUE(preparePortDirectory(dir, error)) << error;
    for (const std::string &level : {base.str() + "/a", dir}) {
        struct stat info
        {
        };
        ASSERT_EQ(lstat(level.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0700u) << level;
    }
}

TEST(PortEntries, OnlyLiveLinksToOurOwnTerminalsCount)
{
    TempDir temp;
    const std::string dir = temp.str();
    Pty pty, other, stale, ctty;
    ASSERT_FALSE(pty.slave().empty());
    PortTrust trust;
    trust.controllingTerminal = ctty.device();
    ASSERT_NE(trust.controllingTerminal, 0u);

    PublishedPort live(dir, "LIVE", pty.slave());
    PublishedPort secondName(dir, "LIVE2", other.slave());
    // The publisher died: its pseudo-terminal number may now be anyone's.
    PublishedPort dead(dir, "DEAD", stale.slave(), false);
    PublishedPort null(dir, "NULL", "/dev/null");
    PublishedPort zero(dir, "ZERO", "/dev/zero");
    PublishedPort tty(dir, "TTY", "/dev/tty");
    PublishedPort console(dir, "CONSOLE", "/dev/console");
    PublishedPort ptmx(dir, "PTMX", "/dev/ptmx");
    PublishedPort ownTerminal(dir, "CTTY", ctty.slave());
    PublishedPort dangling(dir, "GONE", dir + "/nothing");
    std::ofstream(dir + "/notes.txt") << "not a port\n";
    PublishedPort toFile(dir, "FILE", dir + "/notes.txt");
    PublishedPort hidden(dir, ".HIDDEN", pty.slave());
    for (const PublishedPort *p : {&live, &secondName, &dead, &null, &zero, &tty, &console, &ptmx,
                                   &ownTerminal, &dangling, &toFile, &hidden}) {
        ASSERT_TRUE(p->ok());
    }
    // A link with no lock file at all, as made by hand.
    ASSERT_EQ(symlink(pty.slave().c_str(), (dir + "/BYHAND").c_str()), 0);
    // Not a link: a device name copied in as a plain file.
    std::ofstream(dir + "/PLAIN") << "";

    EXPECT_EQ(sorted(listPortEntries(dir, trust)), (std::vector<std::string>{"LIVE", "LIVE2"}));

    const PortEntry entry = classifyPortEntry(dir, "LIVE", trust);
    EXPECT_EQ(entry.kind, PortEntryKind::Device);
    EXPECT_EQ(entry.target, pty.slave());
    EXPECT_EQ(entry.device, pty.device());

    // Links made by someone else do not count.
    EXPECT_TRUE(listPortEntries(dir, anotherUser()).empty());
}

TEST(PortEntries, ALockLetGoStopsTheEntryCountingAtOnce)
{
    TempDir temp;
    Pty pty;
    PublishedPort port(temp.str(), "SIM1", pty.slave());
    ASSERT_TRUE(port.ok());
    EXPECT_EQ(classifyPortEntry(temp.str(), "SIM1").kind, PortEntryKind::Device);
    port.release();
    EXPECT_EQ(classifyPortEntry(temp.str(), "SIM1").kind, PortEntryKind::None);
    EXPECT_TRUE(listPortEntries(temp.str()).empty());
}

// Writes `text` to `path` with exactly `mode`, whatever the umask.
bool writeFile(const std::string &path, const std::string &text, mode_t mode)
{
    std::ofstream(path, std::ios::binary) << text;
    return chmod(path.c_str(), mode) == 0;
}

struct UrlCase
{
    const char *what;
    // The URL the entry opens, or nullptr when the entry must not count.
    const char *expected;
    // Makes the entry "LAB3" in `dir` (a private directory inside `base`).
    void (*prepare)(const std::string &base, const std::string &dir, PortTrust &trust);
};

const UrlCase kUrlCases[] = {
    {"a raw TCP URL", "socket://127.0.0.1:7000",
     [](const std::string &, const std::string &dir, PortTrust &) {
         writeFile(dir + "/LAB3", "socket://127.0.0.1:7000", 0600);
     }},
    {"an RFC 2217 URL with an IPv6 literal and a line end", "rfc2217://[::1]:7001",
     [](const std::string &, const std::string &dir, PortTrust &) {
         writeFile(dir + "/LAB3", "rfc2217://[::1]:7001\r\n", 0644);
     }},
    {"one byte over the size limit", nullptr,
     [](const std::string &, const std::string &dir, PortTrust &) {
         std::string text = "socket://lab3:4001";
         text.resize(513, '\n');
         writeFile(dir + "/LAB3", text, 0600);
     }},
    {"writable by the group", nullptr,
     [](const std::string &, const std::string &dir, PortTrust &) {
         writeFile(dir + "/LAB3", "socket://127.0.0.1:7000", 0620);
     }},
    {"writable by others", nullptr,
     [](const std::string &, const std::string &dir, PortTrust &) {
         writeFile(dir + "/LAB3", "socket://127.0.0.1:7000", 0602);
     }},
    {"owned by another user", nullptr,
     [](const std::string &, const std::string &dir, PortTrust &trust) {
         writeFile(dir + "/LAB3", "socket://127.0.0.1:7000", 0600);
         trust.user = anotherUser().user;
     }},
    // A publisher's entry goes with its lock.
    {"beside a lock file nobody holds", nullptr,
     [](const std::string &, const std::string &dir, PortTrust &) {
         writeFile(dir + "/LAB3", "socket://127.0.0.1:7000", 0600);
         writeFile(dir + "/" + portLockName("LAB3"), "", 0600);
     }},
    {"a link to a URL file", nullptr,
     [](const std::string &base, const std::string &dir, PortTrust &) {
         writeFile(base + "/url", "socket://127.0.0.1:7000", 0600);
         symlink((base + "/url").c_str(), (dir + "/LAB3").c_str());
     }},
};

TEST(PortEntries, OnlyAPlainFileOfOursHoldingAKnownUrlIsANetworkPort)
{
    for (const UrlCase &c : kUrlCases) {
        SCOPED_TRACE(c.what);
        TempDir base;
        const std::string dir = base.str() + "/ports";
        ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
        PortTrust trust;
        c.prepare(base.str(), dir, trust);

        const PortEntry entry = classifyPortEntry(dir, "LAB3", trust);
        if (c.expected) {
            EXPECT_EQ(entry.kind, PortEntryKind::Network);
            EXPECT_EQ(entry.target, c.expected);
            EXPECT_EQ(listPortEntries(dir, trust), std::vector<std::string>{"LAB3"});
        } else {
            EXPECT_EQ(entry.kind, PortEntryKind::None);
            EXPECT_TRUE(listPortEntries(dir, trust).empty());
        }
    }
}

// A made-up sysfs in which the character device 1:3 (/dev/null on Linux) is a
// tty with serial hardware, so a link to it plays a real serial port.
void fakeSerialSysfs(const fs::path &root, dev_t device)
{
    const fs::path devdir = root / "devices/platform/uart0";
    const fs::path ttydir = devdir / "tty/ttyFAKE0";
    fs::create_directories(ttydir);
    fs::create_directories(root / "class/tty");
    fs::create_directories(root / "bus/platform/drivers/uart");
    fs::create_directory_symlink(root / "class/tty", ttydir / "subsystem");
    fs::create_directory_symlink(devdir, ttydir / "device");
    fs::create_directory_symlink(root / "bus/platform/drivers/uart", devdir / "driver");
    std::ofstream(ttydir / "type") << "4\n";
    fs::create_directories(root / "dev/char");
    fs::create_directory_symlink(
        ttydir,
        root / "dev/char" / (std::to_string(major(device)) + ":" + std::to_string(minor(device))));
}

TEST(PortEntries, ARealSerialPortCountsWithoutALockButNotWithALockLetGo)
{
    TempDir temp;
    const std::string dir = temp.str() + "/ports";
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    struct stat null
    {
    };
    ASSERT_EQ(stat("/dev/null", &null), 0);
    fakeSerialSysfs(temp.path() / "sys", null.st_rdev);
    PortTrust trust;
    trust.sysRoot = (temp.path() / "sys").string();

    ASSERT_EQ(symlink("/dev/null", (dir + "/ADAPTER").c_str()), 0);
    PublishedPort abandoned(dir, "OLDADAPTER", "/dev/null", false);
    ASSERT_TRUE(abandoned.ok());
    EXPECT_EQ(listPortEntries(dir, trust), std::vector<std::string>{"ADAPTER"});
    // The same links against the machine's own sysfs: /dev/null is no port.
    EXPECT_TRUE(listPortEntries(dir).empty());
}

TEST(PortEntries, TheControllingTerminalIsReadFromTheProcess)
{
    // A child in a session of its own takes a pseudo-terminal as its
    // controlling terminal and must see exactly that device.
    Pty pty;
    ASSERT_FALSE(pty.slave().empty());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setsid() < 0) {
            _exit(2);
        }
        const int fd = open(pty.slave().c_str(), O_RDWR); // no O_NOCTTY
        if (fd < 0) {
            _exit(3);
        }
        _exit(controllingTerminal() == pty.device() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(ResolvePortName, PublishedNamesResolveOnlyWhileTheyCount)
{
    TempDir temp;
    ScopedEnv env("KIVRA_PORT_DIR", temp.str());
    Pty live, stale;
    PublishedPort sim(temp.str(), "SIM1", live.slave());
    PublishedPort gone(temp.str(), "SIM2", stale.slave(), false);
    PublishedPort null(temp.str(), "ttyNULL", "/dev/null");
    ASSERT_TRUE(sim.ok() && gone.ok() && null.ok());
    const std::string url = "rfc2217://lab-pc:4001";
    ASSERT_TRUE(writeFile(temp.str() + "/LAB3", url + "\n", 0600));

    const PortTarget published = resolvePortName("SIM1");
    EXPECT_EQ(published.kind, PortKind::Device);
    EXPECT_EQ(published.path, live.slave());
    EXPECT_EQ(published.device, live.device());
    EXPECT_EQ(published.published, temp.str() + "/SIM1");
    const PortTarget network = resolvePortName("LAB3");
    EXPECT_EQ(network.kind, PortKind::Network);
    EXPECT_EQ(network.path, url);
    // Present but not counting: refused, not looked for in /dev instead.
    for (const char *name : {"SIM2", "ttyNULL"}) {
        const PortTarget refused = resolvePortName(name);
        EXPECT_EQ(refused.kind, PortKind::None) << name;
        EXPECT_EQ(refused.path, "") << name;
        EXPECT_EQ(refused.published, temp.str() + "/" + name) << name;
    }
    const PortTarget device = resolvePortName("ttyUSB0");
    EXPECT_EQ(device.kind, PortKind::Device);
    EXPECT_EQ(device.path, "/dev/ttyUSB0");
    EXPECT_EQ(device.device, 0u);
    EXPECT_EQ(device.published, "");

    // A directory open to others is not used at all.
    ASSERT_EQ(chmod(temp.str().c_str(), 0755), 0);
    EXPECT_EQ(resolvePortName("SIM1").path, "/dev/SIM1");
    EXPECT_EQ(resolvePortName("SIM1").published, "");
    EXPECT_TRUE(listVirtualPorts(temp.str()).empty());
}

} // namespace
