// The simulator seen from the host's end of the pseudo-terminal, with plain
// POSIX I/O: publishing, exchanges, resynchronisation and the dropped port.
#include "doomedsim.h"
#include "frameoracle.h"
#include "kivra_portdir.h"
#include "simulator.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace kivrasim;
using Bytes = std::vector<uint8_t>;

namespace {

// Generous bound for a reply to arrive, so a loaded machine cannot fail a test.
constexpr int kPatienceMs = 3000;

// A request carrying one 4-byte value, built by the frame oracle.
Bytes request(uint16_t code, int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    return oracle::request(code, {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                                  static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)});
}

class SimPort : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char dirTemplate[] = "/tmp/kivra-simtest-XXXXXX";
        ASSERT_NE(::mkdtemp(dirTemplate), nullptr);
        dir = dirTemplate;
        ASSERT_TRUE(sim.start("SIMT", dir)) << sim.lastError();
        fd = ::open(sim.linkPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        // Held the way the library holds a port; the simulator must still serve it.
        ASSERT_EQ(::ioctl(fd, TIOCEXCL), 0);
        ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    }

    void TearDown() override
    {
        if (fd >= 0)
            ::close(fd);
        sim.stop();
        ::rmdir(dir.c_str());
    }

    // Sends bytes and collects until wanted bytes came, the line hung up or
    // the patience ran out. hungUp reports a POLLHUP or end of file.
    Bytes exchange(const Bytes &out, size_t wanted, bool *hungUp = nullptr)
    {
        ::tcflush(fd, TCIFLUSH);
        EXPECT_EQ(::write(fd, out.data(), out.size()), ssize_t(out.size()));
        Bytes in;
        while (in.size() < wanted) {
            pollfd pfd{fd, POLLIN, 0};
            if (::poll(&pfd, 1, kPatienceMs) <= 0)
                break;
            uint8_t buf[64];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0 || (pfd.revents & POLLHUP)) {
                if (hungUp)
                    *hungUp = true;
                break;
            }
            in.insert(in.end(), buf, buf + n);
        }
        return in;
    }

    static int32_t value(const Bytes &reply) { return int32_t(reply[8] | reply[9] << 8); }
    static int status(const Bytes &reply) { return reply[4] | reply[5] << 8; }

    Simulator sim;
    std::string dir;
    int fd = -1;
};

TEST_F(SimPort, PublishesALinkToItsTtyAndRefusesATakenName)
{
    char target[256] = {};
    ASSERT_GT(::readlink(sim.linkPath().c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(sim.ttyPath(), target);
    EXPECT_EQ(sim.linkPath(), dir + "/SIMT");

    Simulator second;
    EXPECT_FALSE(second.start("SIMT", dir));
    EXPECT_FALSE(second.lastError().empty());
    char still[256] = {};
    ASSERT_GT(::readlink(sim.linkPath().c_str(), still, sizeof still - 1), 0);
    EXPECT_STREQ(still, target) << "the live link was replaced";
}

TEST_F(SimPort, StaleLinkIsReplacedAndStopRemovesTheLink)
{
    const std::string stale = dir + "/GONE";
    ASSERT_EQ(::symlink("/dev/pts/nonexistent-kivra", stale.c_str()), 0);
    Simulator other;
    ASSERT_TRUE(other.start("GONE", dir)) << other.lastError();
    other.stop();
    struct stat st
    {
    };
    EXPECT_NE(::lstat(stale.c_str(), &st), 0);
}

TEST_F(SimPort, AnswersSettersAndGettersAndRecordsTheRequests)
{
    const Bytes set = request(0x08, 55);
    const Bytes reply = exchange(set, 14);
    ASSERT_EQ(reply.size(), 14u);
    EXPECT_EQ(status(reply), 1);
    const Bytes get = exchange(request(0x13, 0), 14);
    ASSERT_EQ(get.size(), 14u);
    EXPECT_EQ(value(get), 55);
    EXPECT_EQ(sim.parameter(0x13), 55);
    EXPECT_EQ(sim.exchangeCount(), 2);
    ASSERT_EQ(sim.requests().size(), 2u);
    EXPECT_EQ(sim.requests()[0], set);
}

TEST_F(SimPort, KeepsOnlyTheRequestsAskedFor)
{
    sim.keepRequests(2);
    for (int32_t v = 1; v <= 5; ++v)
        ASSERT_EQ(exchange(request(0x08, v), 14).size(), 14u);
    EXPECT_EQ(sim.requests(), (std::vector<Bytes>{request(0x08, 4), request(0x08, 5)}));
    sim.keepRequests(0);
    EXPECT_TRUE(sim.requests().empty());
    ASSERT_EQ(exchange(request(0x08, 6), 14).size(), 14u);
    EXPECT_TRUE(sim.requests().empty());
    EXPECT_EQ(sim.exchangeCount(), 6);
}

TEST_F(SimPort, LateOnceDelaysOnlyTheNextReply)
{
    Faults f;
    f.lateOnceMs = 300;
    sim.setFaults(f);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(exchange(request(0x13, 0), 14).size(), 14u);
    const auto late = std::chrono::steady_clock::now() - start;
    EXPECT_GE(late, std::chrono::milliseconds(300));
    EXPECT_EQ(sim.faults().lateOnceMs, 0);
    EXPECT_EQ(exchange(request(0x13, 0), 14).size(), 14u);
}

TEST_F(SimPort, RefusedValueGetsAnotherStatusAndChangesNothing)
{
    const Bytes reply = exchange(request(0x08, 101), 14);
    ASSERT_EQ(reply.size(), 14u);
    EXPECT_NE(status(reply), 1);
    EXPECT_NE(status(reply), 238);
    EXPECT_EQ(sim.parameter(0x13), 80);
}

TEST_F(SimPort, GarbageAndACutOffFrameDoNotHideTheNextRequest)
{
    Bytes noisy = {0x13, 0x55, 0x00, 0x55, 0xAA, 0x08, 0x00, 0x38, 0x00};
    const Bytes get = request(0x0D, 0);
    noisy.insert(noisy.end(), get.begin(), get.end());
    const Bytes reply = exchange(noisy, 14);
    ASSERT_EQ(reply.size(), 14u);
    EXPECT_EQ(reply[2], 0x0D);
    EXPECT_EQ(value(reply), 1);
    EXPECT_EQ(sim.exchangeCount(), 1);
}

TEST_F(SimPort, Status238AndScriptedReply)
{
    Faults f;
    f.okStatus = 238;
    sim.setFaults(f);
    EXPECT_EQ(status(exchange(request(0x0C, 0), 14)), 238);
    const Bytes scripted = {0xAA, 0x55, 0, 0, 1, 0, 2, 0, 0xFF, 0xFF, 0xFE, 0xAA};
    sim.scriptReply(scripted);
    EXPECT_EQ(exchange(request(0x0C, 0), scripted.size()), scripted);
    EXPECT_EQ(status(exchange(request(0x0C, 0), 14)), 238) << "script is used once";
}

TEST_F(SimPort, ExternalTriggerOpensTheShutter)
{
    sim.setParameter(0x03, 100000); // a cycle far longer than the test
    ASSERT_EQ(status(exchange(request(0x02, 4), 14)), 1);
    EXPECT_EQ(value(exchange(request(0x0C, 0), 14)), 2);
    sim.trigger();
    EXPECT_EQ(value(exchange(request(0x0C, 0), 14)), 1);
    EXPECT_FLOAT_EQ(sim.frequency(), 1000.0f / (100000 + 100));
}

TEST_F(SimPort, DropAfterHangsUpAtTheNextRequestLikeAnUnpluggedAdapter)
{
    Faults f;
    f.dropAfter = 2;
    sim.setFaults(f);
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(exchange(request(0x0C, 0), 14).size(), 14u) << i;
    bool hungUp = false;
    EXPECT_TRUE(exchange(request(0x0C, 0), 14, &hungUp).empty());
    EXPECT_TRUE(hungUp);
    EXPECT_TRUE(sim.hungUp());
    EXPECT_EQ(sim.exchangeCount(), 2);
    struct stat st
    {
    };
    EXPECT_NE(::lstat(sim.linkPath().c_str(), &st), 0) << "link left behind";
}

} // namespace

namespace {

// The library lists the same directory, so the order of the fallbacks matters.
TEST(PortDir, ExplicitThenRuntimeThenTmp)
{
    const char *savedPort = std::getenv("KIVRA_PORT_DIR");
    const char *savedRuntime = std::getenv("XDG_RUNTIME_DIR");
    const std::string port = savedPort ? savedPort : "";
    const std::string runtime = savedRuntime ? savedRuntime : "";

    ::setenv("KIVRA_PORT_DIR", "/x/ports", 1);
    ::setenv("XDG_RUNTIME_DIR", "/x/run", 1);
    EXPECT_EQ(defaultPortDir(), "/x/ports");
    ::unsetenv("KIVRA_PORT_DIR");
    EXPECT_EQ(defaultPortDir(), "/x/run/kivra-ports");
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(defaultPortDir(), "/tmp/kivra-ports-" + std::to_string(::getuid()));

    if (savedPort)
        ::setenv("KIVRA_PORT_DIR", port.c_str(), 1);
    if (savedRuntime)
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
}

} // namespace

namespace {

// A private directory under /tmp for one test, removed with what is left in it.
struct ScratchDir
{
    ScratchDir()
    {
        char pattern[] = "/tmp/kivra-simdir-XXXXXX";
        path = ::mkdtemp(pattern) ? pattern : "";
    }
    ~ScratchDir()
    {
        ::chmod(path.c_str(), 0700);
        std::system(("rm -rf '" + path + "'").c_str());
    }
    bool exists(const std::string &name) const
    {
        struct stat st
        {
        };
        return ::lstat((path + "/" + name).c_str(), &st) == 0;
    }
    std::string path;
};

TEST(PortDirCheck, SimulatorRefusesADirectoryItCannotTrust)
{
    struct Case
    {
        const char *what;
        const char *expectedWords;
        void (*spoil)(const std::string &dir);
    };
    const Case cases[] = {
        {"mode 1777", "open to group or others",
         [](const std::string &dir) { ::chmod(dir.c_str(), 01777); }},
        {"a link instead of a directory", "not a directory",
         [](const std::string &dir) {
             ::rename(dir.c_str(), (dir + ".real").c_str());
             ::symlink((dir + ".real").c_str(), dir.c_str());
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir base;
        const std::string dir = base.path + "/ports";
        ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
        c.spoil(dir);
        Simulator sim;
        EXPECT_FALSE(sim.start("SIM1", dir));
        EXPECT_NE(sim.lastError().find(c.expectedWords), std::string::npos) << sim.lastError();
        EXPECT_FALSE(base.exists("ports/SIM1"));
        EXPECT_FALSE(base.exists("ports.real/SIM1"));
    }
}

TEST(PortDirCheck, SimulatorMakesAMissingDirectoryPrivate)
{
    ScratchDir base;
    const std::string dir = base.path + "/new/ports";
    Simulator sim;
    ASSERT_TRUE(sim.start("SIM1", dir)) << sim.lastError();
    struct stat st
    {
    };
    ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(kivra::classifyPortEntry(dir, "SIM1").kind, kivra::PortEntryKind::Device);
    sim.stop();
    EXPECT_FALSE(base.exists("new/ports/SIM1"));
    EXPECT_FALSE(base.exists("new/ports/" + kivra::portLockName("SIM1")));
}

// A simulator killed outright leaves its link and lock file but not its lock:
// the link stops counting at once and the next simulator clears it away.
TEST(PortDirCheck, KilledSimulatorsLinkIsStaleAndTheNextOneRemovesIt)
{
    ScratchDir base;
    const std::string dir = base.path;
    DoomedSimulator doomed("DEAD", dir);
    ASSERT_TRUE(doomed.started());
    EXPECT_EQ(kivra::classifyPortEntry(dir, "DEAD").kind, kivra::PortEntryKind::Device);
    // Taken while it lives, even though its link could be replaced.
    {
        Simulator rival;
        EXPECT_FALSE(rival.start("DEAD", dir));
        EXPECT_NE(rival.lastError().find("taken"), std::string::npos) << rival.lastError();
    }

    ASSERT_TRUE(doomed.kill());
    ASSERT_TRUE(base.exists("DEAD")) << "the killed simulator's link should still be there";
    ASSERT_TRUE(base.exists(kivra::portLockName("DEAD")));
    EXPECT_EQ(kivra::classifyPortEntry(dir, "DEAD").kind, kivra::PortEntryKind::None);
    EXPECT_TRUE(kivra::listPortEntries(dir).empty());

    Simulator next;
    ASSERT_TRUE(next.start("NEXT", dir)) << next.lastError();
    EXPECT_FALSE(base.exists("DEAD"));
    EXPECT_FALSE(base.exists(kivra::portLockName("DEAD")));
    EXPECT_EQ(kivra::listPortEntries(dir), std::vector<std::string>{"NEXT"});
}

TEST(PortDirCheck, TheNameOfAKilledSimulatorCanBeTakenAgain)
{
    ScratchDir base;
    // As a killed simulator leaves it: link to a pseudo-terminal, lock file
    // that nobody holds.
    ASSERT_EQ(::symlink("/dev/pts/4242", (base.path + "/SIM1").c_str()), 0);
    const int lock =
        ::open((base.path + "/" + kivra::portLockName("SIM1")).c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(lock, 0);
    ::close(lock);
    Simulator sim;
    ASSERT_TRUE(sim.start("SIM1", base.path)) << sim.lastError();
    EXPECT_EQ(kivra::classifyPortEntry(base.path, "SIM1").target, sim.ttyPath());
}

} // namespace
