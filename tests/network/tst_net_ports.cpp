// What only network ports have, against a real ser2net: servers that are
// absent or mute, connections lost mid-session, 0xFF in frames, IPv6, and one
// server held once whatever the spelling of its name, until it is closed or
// lost.
#include "KivraLibrary.h"
#include "ser2net_posix.h"
#include "simulator.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <ostream>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using Kind = Ser2Net::Kind;

// The longest an open may take before it has to give up.
constexpr std::chrono::seconds kOpenBound{2};
constexpr int kOnTimeWithFF = 65535; // 0xFFFF: two bytes that telnet must double
constexpr uint16_t kGetOnTime = 0x0E;
constexpr int kTextBuffer = 64;

std::string urlFor(Kind kind, const std::string &hostPort)
{
    return std::string(kind == Kind::Rfc2217 ? "rfc2217://" : "socket://") + hostPort;
}

const char *kindName(Kind kind)
{
    return kind == Kind::Rfc2217 ? "rfc2217" : "socket";
}

// A controller behind ser2net, in one piece.
struct Bridge
{
    explicit Bridge(Kind kind, const kivrasim::Faults &faults = kivrasim::Faults(),
                    const std::string &host = "127.0.0.1")
    {
        simulator.setFaults(faults);
        static int serial = 0;
        running = simulator.start("NETPORT" + std::to_string(++serial)) &&
                  ser2net.start(simulator.ttyPath(), kind, host);
    }
    kivrasim::Simulator simulator;
    Ser2Net ser2net;
    bool running = false;
};

// A TCP listener that accepts (the system does, from its backlog) and never
// says a word.
class MuteServer
{
public:
    MuteServer()
    {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr *>(&address), length) == 0 &&
            listen(fd_, 4) == 0 &&
            getsockname(fd_, reinterpret_cast<sockaddr *>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }
    ~MuteServer() { close(fd_); }
    int port() const { return port_; }
    // Takes the oldest connection from the backlog and hangs up on it.
    void hangUpOne() { close(accept(fd_, nullptr, nullptr)); }

private:
    int fd_ = -1;
    int port_ = 0;
};

class NetKind : public testing::TestWithParam<Kind>
{
};

std::string kindLabel(const testing::TestParamInfo<Kind> &info)
{
    return kindName(info.param);
}

TEST_P(NetKind, AbsentServerFailsWithinTheBound)
{
    const int port = freeTcpPort("127.0.0.1");
    ASSERT_GT(port, 0);
    const std::string url = urlFor(GetParam(), "127.0.0.1:" + std::to_string(port));
    const auto start = Clock::now();
    EXPECT_EQ(openSerial(url.c_str()), -1);
    EXPECT_EQ(isSerialOpen(url.c_str()), 1);
    EXPECT_LT(Clock::now() - start, kOpenBound);
}

TEST_P(NetKind, UnknownHostFailsWithinTheBound)
{
    const std::string url = urlFor(GetParam(), "kivra-no-such-host.invalid:4001");
    const auto start = Clock::now();
    EXPECT_EQ(openSerial(url.c_str()), -1);
    EXPECT_LT(Clock::now() - start, kOpenBound);
}

TEST_P(NetKind, MalformedNamesAreRefused)
{
    for (const char *rest : {"127.0.0.1", "127.0.0.1:0", "[::1:80", ":80", "h:80/x"}) {
        const std::string url = urlFor(GetParam(), rest);
        EXPECT_EQ(openSerial(url.c_str()), -1) << url;
        EXPECT_EQ(isSerialOpen(url.c_str()), 1) << url;
    }
}

TEST_P(NetKind, FramesHoldingFFArriveWhole)
{
    Bridge bridge(GetParam());
    ASSERT_TRUE(bridge.running);
    const int handle = openSerial(bridge.ser2net.url().c_str());
    ASSERT_GT(handle, 0);
    EXPECT_EQ(setShutterOnTime(handle, kOnTimeWithFF), 0);
    EXPECT_EQ(bridge.simulator.parameter(kGetOnTime), kOnTimeWithFF);
    EXPECT_EQ(getShutterOnTime(handle), kOnTimeWithFF);
    const std::string name(20, '\xFF');
    EXPECT_EQ(writeDevName(handle, name.c_str(), static_cast<int>(name.size())), 0);
    char text[kTextBuffer] = {};
    EXPECT_EQ(getDeviceName(handle, text, kTextBuffer), 0);
    EXPECT_EQ(std::string(text), name);
    EXPECT_EQ(closeSerial(handle), 0);
}

TEST_P(NetKind, LostServerFailsLikeAClosedPortFromThenOn)
{
    Bridge bridge(GetParam());
    ASSERT_TRUE(bridge.running);
    const std::string url = bridge.ser2net.url();
    const int handle = openSerial(url.c_str());
    ASSERT_GT(handle, 0);
    EXPECT_EQ(getShutterOnTime(handle), 100);
    bridge.ser2net.stop();
    EXPECT_EQ(getShutterOnTime(handle), -2);
    EXPECT_EQ(setShutterState(handle, 1), -2);
    EXPECT_EQ(getFrequency(handle), -2.0f);
    // The server is no longer held: nothing here blocks a new connection.
    EXPECT_EQ(isSerialOpen(url.c_str()), 1); // as nobody listens any more
    EXPECT_EQ(closeSerial(handle), 0);
}

TEST_P(NetKind, OneServerIsHeldOnceWhateverItsSpelling)
{
    Bridge bridge(GetParam());
    ASSERT_TRUE(bridge.running);
    const std::string port = std::to_string(bridge.ser2net.port());
    const std::string lower = urlFor(GetParam(), "localhost:" + port);
    const std::string upper = urlFor(GetParam(), "LOCALHOST:" + port);
    const int handle = openSerial(lower.c_str());
    ASSERT_GT(handle, 0);
    EXPECT_EQ(openSerial(upper.c_str()), -1);
    EXPECT_EQ(isSerialOpen(upper.c_str()), 1);
    EXPECT_EQ(getShutterState(handle), 2);
    EXPECT_EQ(closeSerial(handle), 0);
}

// A lost connection no longer holds its server while its handle is still
// open; that handle's close later leaves the server to the open that came
// since.
TEST(NetClaim, LostConnectionLetsItsServerBeOpenedAgain)
{
    MuteServer server;
    ASSERT_GT(server.port(), 0);
    const std::string url = "socket://127.0.0.1:" + std::to_string(server.port());
    const int lost = openSerial(url.c_str());
    ASSERT_GT(lost, 0);
    EXPECT_EQ(openSerial(url.c_str()), -1);
    server.hangUpOne();
    EXPECT_EQ(getShutterOnTime(lost), -2);
    const int again = openSerial(url.c_str());
    ASSERT_GT(again, 0);
    EXPECT_EQ(closeSerial(lost), 0);
    EXPECT_EQ(openSerial(url.c_str()), -1);
    EXPECT_EQ(closeSerial(again), 0);
    const int third = openSerial(url.c_str());
    EXPECT_GT(third, 0);
    closeSerial(third);
}

TEST_P(NetKind, Ipv6LiteralInBrackets)
{
    if (freeTcpPort("::1") == 0) {
        GTEST_SKIP() << "no IPv6 loopback here";
    }
    Bridge bridge(GetParam(), kivrasim::Faults(), "::1");
    ASSERT_TRUE(bridge.running);
    ASSERT_EQ(bridge.ser2net.url().find("[::1]:"), bridge.ser2net.url().find("//") + 2);
    const int handle = openSerial(bridge.ser2net.url().c_str());
    ASSERT_GT(handle, 0);
    EXPECT_EQ(getShutterOnTime(handle), 100);
    EXPECT_EQ(closeSerial(handle), 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, NetKind, testing::Values(Kind::Raw, Kind::Rfc2217), kindLabel);

TEST(Rfc2217, ServerThatNeverNegotiatesFailsWithinTheBound)
{
    MuteServer mute;
    ASSERT_GT(mute.port(), 0);
    const std::string url = "rfc2217://127.0.0.1:" + std::to_string(mute.port());
    const auto start = Clock::now();
    EXPECT_EQ(openSerial(url.c_str()), -1);
    EXPECT_LT(Clock::now() - start, kOpenBound);
}

TEST(Rfc2217, RawServerIsNotTakenForTelnet)
{
    // A raw bridge passes our negotiation to the controller, which never
    // answers it as a telnet server would.
    Bridge bridge(Kind::Raw);
    ASSERT_TRUE(bridge.running);
    const std::string url = "rfc2217://127.0.0.1:" + std::to_string(bridge.ser2net.port());
    EXPECT_EQ(openSerial(url.c_str()), -1);
}

TEST(RawSocket, MuteServerIsSilence)
{
    MuteServer mute;
    ASSERT_GT(mute.port(), 0);
    const std::string url = "socket://127.0.0.1:" + std::to_string(mute.port());
    const int handle = openSerial(url.c_str());
    ASSERT_GT(handle, 0);
    EXPECT_EQ(getShutterOnTime(handle), -2);
    EXPECT_EQ(closeSerial(handle), 0);
}

} // namespace
