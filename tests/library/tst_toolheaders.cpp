// The header-only pieces the tools share, against the library's own code: the
// line time of a value exchange is that of the frames the library builds and
// expects, and the port list splits back into the names the library wrote.
#include "protocol/frame.h"
#include "serial/portlist.h"

#include <KivraLine.h>
#include <KivraPortList.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace kivra;

TEST(LineTime, ValueExchangeIsItsTwoFramesAtElevenBitsAByte)
{
    uint8_t buffer[kFrameBufferBytes];
    const uint8_t value[4] = {};
    EXPECT_EQ(buildFrame(buffer, KIVRA_CMD_GET_SHUTTER_STATE, 4, value), kValueRequestBytes);
    EXPECT_EQ(replyFrameBytes(4), KIVRA_VALUE_REPLY_BYTES);
    // 26 bytes of 11 bits at 115200 baud.
    EXPECT_EQ(kValueExchangeLineTime, std::chrono::nanoseconds(2482638));
}

TEST(PortListSplit, GivesBackWhatTheLibraryWrote)
{
    const std::vector<std::string> ports = {"ttyS0", "ttyUSB0", "SIM1"};
    for (int size : {1, 7, 14, 19, kPortListBytes}) {
        std::vector<char> buffer(static_cast<size_t>(size));
        const int count = formatPortList(ports, buffer.data(), size);
        const std::vector<std::string> first(ports.begin(), ports.begin() + count);
        EXPECT_EQ(splitPortList(buffer.data()), first) << size;
    }
    EXPECT_EQ(splitPortList(",a,,b,"), (std::vector<std::string>{"a", "b"}));
}

} // namespace
