// The simulator on a TCP port (kivra-sim --listen), seen from plain sockets:
// its entry in the port directory, one host at a time, and the entry a killed
// simulator leaves. The exported functions over it are the shared suite's
// (tests/network: tst_net_simtcp).
#include "doomedsim.h"
#include "frameoracle.h"
#include "kivra_portdir.h"
#include "options.h"
#include "scratch_posix.h"
#include "simulator.h"

#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace kivrasim;

namespace {

constexpr int kPatienceMs = 3000;
constexpr size_t kReplyBytes = 14;

int connectTo(const std::string &url)
{
    std::string host;
    uint16_t port = 0;
    if (!parseListenAddress(url.substr(url.find("://") + 3), host, port)) {
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sends a state read; the reply's bytes until 14 came, the peer closed or the
// patience ran out.
oracle::Bytes askState(int fd)
{
    const oracle::Bytes request = oracle::request(0x0C, {0, 0, 0, 0});
    oracle::Bytes reply;
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != ssize_t(request.size())) {
        return reply;
    }
    while (reply.size() < kReplyBytes) {
        pollfd pfd{fd, POLLIN, 0};
        uint8_t buffer[64];
        const ssize_t n =
            ::poll(&pfd, 1, kPatienceMs) > 0 ? ::recv(fd, buffer, sizeof buffer, 0) : 0;
        if (n <= 0) {
            break;
        }
        reply.insert(reply.end(), buffer, buffer + n);
    }
    return reply;
}

TEST(SimulatorTcp, PublishesItsUrlAndServesOneHostAtATime)
{
    scratch::TempDir dir;
    Simulator sim;
    sim.listen("127.0.0.1:0");
    ASSERT_TRUE(sim.start("SIMT", dir.str())) << sim.lastError();
    EXPECT_EQ(sim.ttyPath(), "");
    ASSERT_EQ(sim.url().rfind("socket://127.0.0.1:", 0), 0u) << sim.url();
    const kivra::PortEntry entry = kivra::classifyPortEntry(dir.str(), "SIMT");
    EXPECT_EQ(entry.kind, kivra::PortEntryKind::Network);
    EXPECT_EQ(entry.target, sim.url());

    const int first = connectTo(sim.url());
    ASSERT_GE(first, 0);
    EXPECT_EQ(askState(first).size(), kReplyBytes);
    // A second host is turned away while the first is served.
    const int second = connectTo(sim.url());
    ASSERT_GE(second, 0);
    EXPECT_TRUE(askState(second).empty());
    ::close(second);
    EXPECT_EQ(askState(first).size(), kReplyBytes);
    ::close(first);
    // Once the first has gone, the next is served: at once, unless its
    // connection overtook the first one's end, in which case it comes again.
    bool served = false;
    for (const auto until =
             std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
         !served && std::chrono::steady_clock::now() < until;) {
        const int third = connectTo(sim.url());
        ASSERT_GE(third, 0);
        served = askState(third).size() == kReplyBytes;
        ::close(third);
    }
    EXPECT_TRUE(served);
    EXPECT_EQ(sim.exchangeCount(), 3);

    sim.stop();
    EXPECT_TRUE(kivra::listPortEntries(dir.str()).empty());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / kivra::portLockName("SIMT")));
}

// Its file and lock file stay, the lock does not: the entry stops counting at
// once and the next simulator of that name replaces it.
TEST(SimulatorTcp, AKilledSimulatorsEntryIsStaleAndItsNameCanBeTakenAgain)
{
    scratch::TempDir dir;
    DoomedSimulator doomed("DEAD", dir.str(), "127.0.0.1:0");
    ASSERT_TRUE(doomed.started());
    EXPECT_EQ(kivra::listPortEntries(dir.str()), std::vector<std::string>{"DEAD"});
    ASSERT_TRUE(doomed.kill());
    ASSERT_TRUE(std::filesystem::exists(dir.path() / "DEAD"));
    EXPECT_TRUE(kivra::listPortEntries(dir.str()).empty());

    Simulator next;
    next.listen("127.0.0.1:0");
    ASSERT_TRUE(next.start("DEAD", dir.str())) << next.lastError();
    EXPECT_EQ(kivra::classifyPortEntry(dir.str(), "DEAD").target, next.url());
}

TEST(SimulatorTcp, ListenAddressesAreHostAndPort)
{
    std::string host;
    uint16_t port = 1;
    EXPECT_TRUE(parseListenAddress("127.0.0.1:0", host, port));
    EXPECT_EQ(host, "127.0.0.1");
    EXPECT_EQ(port, 0);
    EXPECT_TRUE(parseListenAddress("[::1]:4001", host, port));
    EXPECT_EQ(host, "::1");
    EXPECT_EQ(port, 4001);
    for (const char *bad :
         {"", "4001", ":4001", "::1:4001", "host:", "host:65536", "host:4x", "[::1]4001", "[]:1"}) {
        EXPECT_FALSE(parseListenAddress(bad, host, port)) << bad;
    }
}

} // namespace
