// The library's debug lines, caught at Qt's message handler: text writes log
// their number and status, the frame builder its one fixed text.
#include "KivraLibrary.h"
#include "simulator.h"

#include <QString>
#include <QtGlobal>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Line
{
    QtMsgType type;
    std::string category;
    std::string text;
};

std::vector<Line> gLines;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    gLines.push_back({type, context.category ? context.category : "", message.toStdString()});
}

class DebugLines : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim_.start("DEBUGSIM"));
        handle_ = openSerial("DEBUGSIM");
        ASSERT_GT(handle_, 0);
        gLines.clear();
        previous_ = qInstallMessageHandler(capture);
    }
    void TearDown() override
    {
        qInstallMessageHandler(previous_);
        closeSerial(handle_);
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const Line &line : gLines) {
            EXPECT_EQ(line.type, QtDebugMsg);
            EXPECT_EQ(line.category, "default");
            result.push_back(line.text);
        }
        return result;
    }

    kivrasim::Simulator sim_;
    int handle_ = -1;
    QtMessageHandler previous_ = nullptr;
};

TEST_F(DebugLines, TextWritesLogTheirNumberAndStatus)
{
    EXPECT_EQ(writeDevName(handle_, "Bench", 5), 0);
    EXPECT_EQ(writeDevSerial(handle_, "SN-1", 4), 0);
    EXPECT_EQ(writeDevSerial(-1, "SN-1", 4), -2);
    EXPECT_EQ(texts(), std::vector<std::string>({"44 0", "75 0", "75 -2"}));
}

TEST_F(DebugLines, RefusedTextWritesLogNothing)
{
    EXPECT_EQ(writeDevSerial(handle_, nullptr, 4), -1);
    EXPECT_EQ(writeDevName(handle_, "x", -1), -1);
    EXPECT_TRUE(texts().empty());
}

TEST_F(DebugLines, MissingDebugDataIsLoggedAndNothingIsSent)
{
    sim_.clearRequests();
    EXPECT_EQ(sendDebugData(handle_, 0x0777, 4, nullptr), -2);
    EXPECT_EQ(texts(), std::vector<std::string>({"DataLen > 0, but pData == nullptr"}));
    EXPECT_TRUE(sim_.requests().empty());
}

TEST_F(DebugLines, OtherCallsAreSilent)
{
    char text[40] = {};
    EXPECT_EQ(getShutterState(handle_), 2);
    EXPECT_EQ(setShutterState(handle_, 1), 0);
    EXPECT_EQ(getDeviceName(handle_, text, 40), 0);
    EXPECT_TRUE(texts().empty());
}

} // namespace
