// The library's debug lines on Windows without Qt, caught where a debugger
// would see them: OutputDebugStringA raises DBG_PRINTEXCEPTION_C, which a
// vectored exception handler sees before the system swallows it.
#include "KivraLibrary.h"
#include "simport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr ULONG kTextArgument = 1;

std::vector<std::string> gLines;

LONG CALLBACK captureDebugString(EXCEPTION_POINTERS *info)
{
    const EXCEPTION_RECORD *record = info->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters > kTextArgument) {
        gLines.emplace_back(reinterpret_cast<const char *>(record->ExceptionInformation[1]));
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

class DebugLines : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim_.isRunning());
        handle_ = openSerial(sim_.name().c_str());
        ASSERT_GT(handle_, 0);
        gLines.clear();
        handler_ = AddVectoredExceptionHandler(1, captureDebugString);
        ASSERT_NE(handler_, nullptr);
    }
    void TearDown() override
    {
        RemoveVectoredExceptionHandler(handler_);
        closeSerial(handle_);
    }

    SimPort sim_;
    int handle_ = -1;
    void *handler_ = nullptr;
};

TEST_F(DebugLines, TextWritesLogTheirNumberAndStatus)
{
    EXPECT_EQ(writeDevName(handle_, "Bench", 5), 0);
    EXPECT_EQ(writeDevSerial(handle_, "SN-1", 4), 0);
    EXPECT_EQ(writeDevSerial(-1, "SN-1", 4), -2);
    EXPECT_EQ(gLines, std::vector<std::string>({"44 0\n", "75 0\n", "75 -2\n"}));
}

TEST_F(DebugLines, RefusedTextWritesLogNothing)
{
    EXPECT_EQ(writeDevSerial(handle_, nullptr, 4), -1);
    EXPECT_EQ(writeDevName(handle_, "x", -1), -1);
    EXPECT_TRUE(gLines.empty());
}

TEST_F(DebugLines, MissingDebugDataIsLogged)
{
    EXPECT_EQ(sendDebugData(handle_, 0x0777, 4, nullptr), -2);
    EXPECT_EQ(gLines, std::vector<std::string>({"DataLen > 0, but pData == nullptr\n"}));
}

} // namespace
