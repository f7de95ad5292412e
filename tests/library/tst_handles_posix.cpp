// The system reuses descriptor numbers at once, handles never. The library
// must act only on ports it opened and has not closed: never on the standard
// streams or another file of the process, whatever number the caller passes,
// and a closed handle must never reach a port opened after it.
#include "KivraLibrary.h"
#include "publishedport.h"
#include "simulator.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool isOpen(int fd)
{
    return fcntl(fd, F_GETFD) != -1;
}

// Bytes waiting on fd, read without blocking.
std::string pending(int fd)
{
    char buffer[256];
    const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

// Runs every kind of device call on a handle the library did not open. A
// text write also logs a debug line, which goes to standard error, so it is
// left out while a socket stands in for that stream.
void callEverything(int handle, std::vector<int> &results)
{
    char text[8] = {};
    const uint8_t data[4] = {};
    results.push_back(getShutterState(handle));
    results.push_back(setShutterState(handle, 1));
    results.push_back(static_cast<int>(getFrequency(handle)));
    results.push_back(getDeviceName(handle, text, 8));
    results.push_back(handle == STDERR_FILENO ? -2 : writeDevName(handle, "x", 1));
    results.push_back(setPwmDuty(handle, 1));
    results.push_back(sendDebugData(handle, 1, 4, data));
    results.push_back(closeSerial(handle));
}

void expectFailedLikeAClosedPort(const std::vector<int> &results)
{
    ASSERT_EQ(results.size(), 8u);
    for (size_t i = 0; i + 1 < results.size(); ++i) {
        EXPECT_EQ(results[i], -2) << "call " << i;
    }
    EXPECT_EQ(results.back(), 0);
}

// A socket pair stands in for a foreign descriptor: anything the library
// wrote would arrive at the far end, anything it read or flushed would be
// missing at the near end.
class ForeignDescriptor : public testing::TestWithParam<int>
{
};

TEST_P(ForeignDescriptor, IsNeverReadWrittenOrClosed)
{
    const int target = GetParam();
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    ASSERT_EQ(send(pair[1], "keep", 4, 0), 4);

    // target < 0: use the socket's own number; else put the socket in the
    // place of a standard stream for the duration of the calls.
    const int handle = target < 0 ? pair[0] : target;
    const int saved = target < 0 ? -1 : dup(target);
    if (target >= 0) {
        ASSERT_EQ(dup2(pair[0], target), target);
    }
    std::vector<int> results;
    callEverything(handle, results);
    const bool stillOpen = isOpen(handle);
    const std::string unread = pending(handle);
    if (target >= 0) {
        dup2(saved, target);
        close(saved);
    }

    expectFailedLikeAClosedPort(results);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(unread, "keep");
    EXPECT_EQ(pending(pair[1]), "");
    close(pair[0]);
    close(pair[1]);
}

std::string descriptorName(const testing::TestParamInfo<int> &info)
{
    static const char *const names[] = {"otherFile", "stdin", "stdout", "stderr"};
    return names[info.param + 1];
}

INSTANTIATE_TEST_SUITE_P(Descriptors, ForeignDescriptor, testing::Values(-1, 0, 1, 2),
                         descriptorName);

class PosixPort : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(sim_.start("POSIX1")); }
    kivrasim::Simulator sim_;
};

TEST_F(PosixPort, ClosedHandleNeverNamesALaterPort)
{
    kivrasim::Simulator other;
    ASSERT_TRUE(other.start("POSIX2"));
    const int first = openSerial("POSIX1");
    ASSERT_GT(first, 0);
    ASSERT_EQ(closeSerial(first), 0);
    // Same descriptor number, other port: the old handle must stay dead.
    const int second = openSerial("POSIX2");
    ASSERT_GT(second, 0);
    EXPECT_NE(second, first);
    EXPECT_EQ(getShutterOnTime(first), -2);
    EXPECT_EQ(setShutterOnTime(first, 7), -2);
    EXPECT_EQ(closeSerial(first), 0);
    EXPECT_EQ(getShutterOnTime(second), 100);
    EXPECT_EQ(other.exchangeCount(), 1);
    closeSerial(second);
}

TEST_F(PosixPort, PortIsNeverKeptOnAStandardStream)
{
    const int saved = dup(STDIN_FILENO);
    close(STDIN_FILENO);
    const int handle = openSerial("POSIX1");
    const bool stdinTaken = isOpen(STDIN_FILENO);
    dup2(saved, STDIN_FILENO);
    close(saved);
    EXPECT_GT(handle, 0);
    EXPECT_FALSE(stdinTaken);
    EXPECT_EQ(getShutterOnTime(handle), 100);
    closeSerial(handle);
}

// The port is held by another process, whose claims this one does not see:
// the system's lock alone refuses, and the refused open leaves no claim.
TEST_F(PosixPort, OpenIsExclusiveAcrossProcesses)
{
    int opened[2];
    int done[2];
    ASSERT_EQ(pipe(opened), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(10);
        close(opened[0]);
        close(done[1]);
        const int handle = openSerial("POSIX1");
        const char held = handle > 0 ? 'y' : 'n';
        char ignored;
        const bool told = write(opened[1], &held, 1) == 1 && read(done[0], &ignored, 1) >= 0;
        closeSerial(handle);
        _exit(told ? 0 : 1);
    }
    close(opened[1]);
    close(done[0]);
    char held = 'n';
    const bool childOpened = read(opened[0], &held, 1) == 1 && held == 'y';
    const int refused = openSerial("POSIX1");
    const int probed = isSerialOpen("POSIX1");
    close(done[1]);
    close(opened[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(childOpened);
    EXPECT_EQ(refused, -1);
    EXPECT_EQ(probed, 1);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const int handle = openSerial("POSIX1");
    EXPECT_GT(handle, 0);
    closeSerial(handle);
}

TEST_F(PosixPort, OpensByAbsolutePathToo)
{
    const int handle = openSerial(sim_.ttyPath().c_str());
    ASSERT_GT(handle, 0);
    EXPECT_EQ(isSerialOpen("POSIX1"), 1);
    EXPECT_EQ(getShutterOnTime(handle), 100);
    closeSerial(handle);
}

TEST(PosixOpen, RefusesWhatIsNotATerminal)
{
    const fs::path file =
        fs::temp_directory_path() / ("kivra-not-a-port-" + std::to_string(getpid()));
    std::ofstream(file) << "precious";
    EXPECT_EQ(openSerial(file.c_str()), -1);
    EXPECT_EQ(openSerial("/dev/null"), -1);
    EXPECT_EQ(openSerial("../null"), -1);
    std::ifstream in(file);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "precious");
    fs::remove(file);
}

// The virtual-port directory, read at each call.
class PortList : public testing::Test
{
protected:
    void SetUp() override
    {
        original_ = std::getenv("KIVRA_PORT_DIR");
        ASSERT_TRUE(sim_.start("LISTSIM"));
        dir_ = fs::path(original_) / testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(dir_);
        fs::permissions(dir_, fs::perms::owner_all);
        setenv("KIVRA_PORT_DIR", dir_.c_str(), 1);
    }
    void TearDown() override
    {
        links_.clear();
        setenv("KIVRA_PORT_DIR", original_.c_str(), 1);
    }

    void link(const std::string &name)
    {
        links_.push_back(std::make_unique<PublishedPort>(dir_.string(), name, sim_.ttyPath()));
        ASSERT_TRUE(links_.back()->ok()) << name;
    }

    std::string list(int size, int *count)
    {
        std::vector<char> buffer(static_cast<size_t>(size) + 1, '#');
        *count = listPorts(buffer.data(), size);
        return std::string(buffer.data(), strnlen(buffer.data(), static_cast<size_t>(size)));
    }

    kivrasim::Simulator sim_;
    std::string original_;
    fs::path dir_;
    std::vector<std::unique_ptr<PublishedPort>> links_;
};

TEST_F(PortList, VirtualPortsFollowTheMachinesOwnInOrder)
{
    int machineCount = 0;
    const std::string machine = list(4096, &machineCount);
    ASSERT_GE(machineCount, 0);

    link("COM2");
    link("COM10");
    link("COM1");
    fs::create_symlink(dir_ / "nothing", dir_ / "STALE");
    int count = 0;
    const std::string full = list(4096, &count);
    const std::string expected = (machine.empty() ? "" : machine + ",") + "COM1,COM2,COM10";
    EXPECT_EQ(full, expected);
    EXPECT_EQ(count, machineCount + 3);

    // A name is taken only with room for its separator and the terminator
    // behind it, so the whole list needs two bytes more than its text.
    EXPECT_EQ(list(static_cast<int>(full.size()) + 1, &count), full.substr(0, full.size() - 6));
    EXPECT_EQ(count, machineCount + 2);
    EXPECT_EQ(list(static_cast<int>(full.size()) + 2, &count), full);
    EXPECT_EQ(count, machineCount + 3);
}

TEST_F(PortList, DirectoryIsReadAtEachCall)
{
    link("SIMA");
    int count = 0;
    EXPECT_NE(list(4096, &count).find("SIMA"), std::string::npos);
    setenv("KIVRA_PORT_DIR", (dir_ / "elsewhere").c_str(), 1);
    EXPECT_EQ(list(4096, &count).find("SIMA"), std::string::npos);
}

TEST_F(PortList, ListPortsRefusesAbsentOrEmptyBuffer)
{
    char buffer[4];
    EXPECT_EQ(listPorts(nullptr, 10), -1);
    EXPECT_EQ(listPorts(buffer, 0), -1);
    EXPECT_EQ(listPorts(buffer, -1), -1);
}

} // namespace
