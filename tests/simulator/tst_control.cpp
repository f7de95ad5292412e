// kivra-sim's control connection: the commands against the device model, the
// fault options' round trip, and the key that guards the loopback port.
#include "commands.h"
#include "control_posix.h"
#include "simulator.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdio>
#include <fstream>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using kivrasim::ControlServer;
using kivrasim::Simulator;
namespace cmd = kivrasim::cmd;

namespace {

std::string number(uint16_t code)
{
    return std::to_string(code);
}

TEST(Control, ParametersTextsAndTuning)
{
    Simulator sim;
    ControlServer control(sim);
    EXPECT_EQ(control.execute("set " + number(cmd::kSetOnTime) + " 345"), "ok");
    EXPECT_EQ(sim.parameter(cmd::kGetOnTime), 345);
    sim.setParameter(cmd::kSetOffTime, -7);
    EXPECT_EQ(control.execute("get " + number(cmd::kGetOffTime)), "-7");

    // Texts travel as hex, so any byte (space, zero, high bit) survives.
    EXPECT_EQ(control.execute("settext " + number(cmd::kReadSerial) + " 534e20300080"), "ok");
    EXPECT_EQ(sim.text(cmd::kReadSerial), std::string("SN 0\0\x80", 6));
    EXPECT_EQ(control.execute("text " + number(cmd::kReadSerial)), "534e20300080");
    EXPECT_EQ(control.execute("settext " + number(cmd::kReadName)), "ok");
    EXPECT_EQ(sim.text(cmd::kReadName), "");
    EXPECT_EQ(control.execute("tuning " + number(cmd::kPwmHz)),
              std::to_string(sim.tuning(cmd::kPwmHz)));
    EXPECT_EQ(control.execute("exchanges"), "0");
    EXPECT_EQ(control.execute("hungup"), "0");
    EXPECT_EQ(control.execute("requests"), "0");
}

TEST(Control, RefusesMalformedCommands)
{
    Simulator sim;
    ControlServer control(sim);
    const int before = sim.parameter(cmd::kGetOnTime);
    for (const char *line :
         {"", "launch", "set", "set x 1", "set 65536 1", "set -1 1", "set 3", "get",
          "settext 255 abc", "settext 255 zz", "faults --nonsense", "faults --delay"}) {
        EXPECT_EQ(control.execute(line).rfind("error ", 0), 0u) << line;
    }
    EXPECT_EQ(sim.parameter(cmd::kGetOnTime), before);
}

TEST(Control, FaultsRoundTrip)
{
    Simulator sim;
    ControlServer control(sim);
    EXPECT_EQ(control.execute("getfaults"), "");
    ASSERT_EQ(control.execute("faults --late-once 40 --corrupt check --drop-after 5 --status238"),
              "ok");
    const kivrasim::Faults set = sim.faults();
    EXPECT_EQ(set.lateOnceMs, 40);
    EXPECT_TRUE(set.corruptCheck);
    EXPECT_EQ(set.dropAfter, 5);
    EXPECT_EQ(set.okStatus, 238);

    // What getfaults says, given back, sets the same faults.
    Simulator other;
    ControlServer otherControl(other);
    ASSERT_EQ(otherControl.execute("faults " + control.execute("getfaults")), "ok");
    EXPECT_EQ(other.faults().lateOnceMs, 40);
    EXPECT_TRUE(other.faults().corruptCheck);
    EXPECT_EQ(other.faults().dropAfter, 5);
    EXPECT_EQ(other.faults().okStatus, 238);

    // "faults" alone clears them all.
    ASSERT_EQ(control.execute("faults"), "ok");
    EXPECT_EQ(sim.faults().dropAfter, -1);
    EXPECT_FALSE(sim.faults().corruptCheck);
}

class ControlSocket : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kivra-control-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
        file = dir + "/control";
        std::string error;
        ASSERT_TRUE(control.start(file, error)) << error;
        std::ifstream in(file);
        ASSERT_TRUE(in >> port >> key);
    }
    void TearDown() override
    {
        ::unlink(file.c_str());
        ::rmdir(dir.c_str());
    }

    int connectClient()
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        return fd;
    }
    // Sends a line, serves until the reply is complete or the server hangs up.
    std::string exchange(int fd, const std::string &line)
    {
        EXPECT_EQ(::send(fd, (line + "\n").data(), line.size() + 1, 0), ssize_t(line.size() + 1));
        std::string reply;
        for (int round = 0; round < 100; ++round) {
            pollfd listening{};
            pollfd client{};
            control.pollFds(listening, client);
            pollfd fds[2] = {listening, client};
            ::poll(fds, 2, 50);
            control.handle(fds[0], fds[1]);
            char buffer[256];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n == 0) {
                return reply + "<closed>";
            }
            if (n > 0) {
                reply.append(buffer, size_t(n));
                if (reply.back() == '\n') {
                    return reply;
                }
            }
        }
        return reply;
    }

    Simulator sim;
    ControlServer control{sim};
    std::string dir;
    std::string file;
    int port = 0;
    std::string key;
};

TEST_F(ControlSocket, FileIsPrivateAndHoldsPortAndKey)
{
    struct stat st
    {
    };
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_GT(port, 0);
    EXPECT_EQ(key.size(), 32u);
}

TEST_F(ControlSocket, KeyFirstThenCommands)
{
    const int fd = connectClient();
    EXPECT_EQ(exchange(fd, "key " + key), "ok\n");
    EXPECT_EQ(exchange(fd, "set " + number(cmd::kSetCycleCount) + " 77"), "ok\n");
    EXPECT_EQ(sim.parameter(cmd::kGetCycleCount), 77);
    ::close(fd);

    // The next client is served once the first has gone.
    const int next = connectClient();
    EXPECT_EQ(exchange(next, "key " + key), "ok\n");
    EXPECT_EQ(exchange(next, "get " + number(cmd::kGetCycleCount)), "77\n");
    ::close(next);
}

TEST_F(ControlSocket, WrongKeyOrCommandFirstIsCutOff)
{
    for (const std::string &first :
         {std::string("key 0123"), "set " + number(cmd::kSetCycleCount) + " 5"}) {
        const int fd = connectClient();
        EXPECT_EQ(exchange(fd, first), "<closed>") << first;
        ::close(fd);
    }
    EXPECT_NE(sim.parameter(cmd::kGetCycleCount), 5);
}

} // namespace
