// The header-only pieces the tools share, against the library's own code: the
// line time of a value exchange is that of the frames the library builds and
// expects.
#include "protocol/frame.h"

#include <KivraLine.h>

#include <gtest/gtest.h>

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

} // namespace
