// What the Win32 transport adds to the shared port tests: exclusivity that
// does not rely on the driver's share mode, refusal of names that are not
// serial devices, handles that are the library's own, the port list from the
// registry, and no system objects left behind by exchanges.
#include "KivraLibrary.h"
#include "simport.h"

#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr int kListBytes = 4096;
constexpr int kExchanges = 200;
constexpr size_t kHandleListBytes = 4 << 20;
const auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);

// The system-wide handle list's layout (SYSTEM_HANDLE_INFORMATION).
struct HandleEntry
{
    USHORT processId;
    USHORT creatorBackTraceIndex;
    UCHAR objectType;
    UCHAR attributes;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};
struct HandleList
{
    ULONG count;
    HandleEntry entries[1];
};

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string portList()
{
    std::vector<char> buffer(kListBytes);
    listPorts(buffer.data(), kListBytes);
    return buffer.data();
}

// The handles this process holds, or -1. Wine does not implement
// GetProcessHandleCount (it reports 0) but lists handles system-wide.
int handleCount()
{
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) {
        return static_cast<int>(count);
    }
    std::vector<char> buffer(kHandleListBytes);
    ULONG length = 0;
    if (NtQuerySystemInformation(kSystemHandleInformation, buffer.data(),
                                 static_cast<ULONG>(buffer.size()), &length) != 0) {
        return -1;
    }
    const auto *list = reinterpret_cast<const HandleList *>(buffer.data());
    const auto self = static_cast<USHORT>(GetCurrentProcessId());
    int own = 0;
    for (ULONG i = 0; i < list->count; ++i) {
        own += list->entries[i].processId == self ? 1 : 0;
    }
    return own;
}

class OpenPort : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim_.isRunning());
        handle_ = openSerial(sim_.name().c_str());
        ASSERT_GT(handle_, 0);
    }
    void TearDown() override { closeSerial(handle_); }

    SimPort sim_;
    int handle_ = -1;
};

// Wine lets a COM port be opened twice despite share mode 0; the library's
// own table refuses it, whatever the spelling of the name.
TEST_F(OpenPort, EverySpellingOfAnOpenPortIsRefused)
{
    const std::string name = sim_.name();
    for (const std::string &spelling : {name, lowerCase(name), "\\\\.\\" + name}) {
        EXPECT_EQ(openSerial(spelling.c_str()), -1) << spelling;
        EXPECT_EQ(isSerialOpen(spelling.c_str()), 1) << spelling;
    }
    EXPECT_EQ(closeSerial(handle_), 0);
    const std::string devicePath = "\\\\.\\" + lowerCase(name);
    handle_ = openSerial(devicePath.c_str());
    EXPECT_GT(handle_, 0);
    EXPECT_EQ(getShutterOnTime(handle_), 100);
}

// Read back through a second handle, which only a system that does not
// enforce share mode 0 (such as wine) grants.
TEST_F(OpenPort, LineIsSetTo115200Baud8N2)
{
    const std::string name = sim_.name();
    const std::wstring path = L"\\\\.\\" + std::wstring(name.begin(), name.end());
    HANDLE second = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (second == INVALID_HANDLE_VALUE) {
        GTEST_SKIP() << "the system keeps the port exclusive";
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    const BOOL read = GetCommState(second, &dcb);
    CloseHandle(second);
    ASSERT_TRUE(read);
    EXPECT_EQ(dcb.BaudRate, 115200u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
}

TEST_F(OpenPort, ReopenedPortGetsAFreshHandle)
{
    const int first = handle_;
    EXPECT_EQ(closeSerial(first), 0);
    handle_ = openSerial(sim_.name().c_str());
    ASSERT_GT(handle_, 0);
    EXPECT_NE(handle_, first);
    EXPECT_EQ(getShutterOnTime(first), -2);
    EXPECT_EQ(getShutterOnTime(handle_), 100);
}

// Each exchange makes its own event objects; all of them must be closed.
TEST_F(OpenPort, ExchangesLeaveNoHandlesBehind)
{
    const int before = handleCount();
    if (before <= 0) {
        GTEST_SKIP() << "the system does not count this process's handles";
    }
    for (int i = 0; i < kExchanges; ++i) {
        ASSERT_EQ(getShutterOnTime(handle_), 100);
    }
    EXPECT_LT(handleCount(), before + kExchanges / 10);
}

TEST_F(OpenPort, PortListFromTheRegistryKeepsTheBufferRule)
{
    const std::string list = portList();
    ASSERT_NE(("," + list + ",").find("," + sim_.name() + ","), std::string::npos) << list;
    // A name is taken while it fits with a separator and the terminator, so
    // the whole list needs two bytes more than its length.
    const int size = static_cast<int>(list.size()) + 2;
    std::vector<char> buffer(static_cast<size_t>(size));
    const int all = listPorts(buffer.data(), size);
    EXPECT_EQ(std::string(buffer.data()), list);
    EXPECT_EQ(all, static_cast<int>(std::count(list.begin(), list.end(), ',')) + 1);
    // One byte less and the last name is left out.
    const size_t lastComma = list.rfind(',');
    const std::string shorter = lastComma == std::string::npos ? "" : list.substr(0, lastComma);
    EXPECT_EQ(listPorts(buffer.data(), size - 1), all - 1);
    EXPECT_EQ(std::string(buffer.data()), shorter);
}

struct NotAPort
{
    const char *name;
    std::string path;
};

void PrintTo(const NotAPort &row, std::ostream *out)
{
    *out << row.name;
}

class NotASerialDevice : public testing::TestWithParam<NotAPort>
{
};

// A name is put behind \\.\ and opened; a drive path or another device then
// makes a valid path too, and must not be written to as a port.
TEST_P(NotASerialDevice, IsNotOpened)
{
    EXPECT_EQ(openSerial(GetParam().path.c_str()), -1);
    EXPECT_EQ(isSerialOpen(GetParam().path.c_str()), 1);
}

std::string tempFile()
{
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + "kivra-not-a-port.txt";
}

INSTANTIATE_TEST_SUITE_P(Rows, NotASerialDevice,
                         testing::Values(NotAPort{"nullDevice", "NUL"},
                                         NotAPort{"absentPort", "COM250"}),
                         [](const testing::TestParamInfo<NotAPort> &info) {
                             return info.param.name;
                         });

TEST(NotASerialDeviceFile, IsNotOpenedAndKeepsItsContents)
{
    const std::string path = tempFile();
    const std::string contents = "untouched";
    std::ofstream(path, std::ios::binary) << contents;
    EXPECT_EQ(openSerial(path.c_str()), -1);
    EXPECT_EQ(isSerialOpen(path.c_str()), 1);
    std::ifstream in(path, std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    EXPECT_EQ(after, contents);
    DeleteFileA(path.c_str());
}

} // namespace
