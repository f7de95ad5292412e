// The port list format: names joined by commas in a fixed buffer, cut at the
// first name that does not fit with its separator and the terminator.
#include "serial/portlist.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace kivra;

namespace {

struct ListCase
{
    const char *name;
    std::vector<std::string> ports;
    int size;
    int expectedCount;
    std::string expectedText;
};

// Rows print as their name in test listings.
void PrintTo(const ListCase &row, std::ostream *out)
{
    *out << row.name;
}

class PortList : public testing::TestWithParam<ListCase>
{
};

TEST_P(PortList, TakesWhatFits)
{
    const ListCase &row = GetParam();
    std::vector<char> buffer(static_cast<size_t>(row.size) + 4, '#');
    EXPECT_EQ(formatPortList(row.ports, buffer.data(), row.size), row.expectedCount);
    EXPECT_EQ(std::string(buffer.data()), row.expectedText);
    // Everything behind the text, up to size, is zero; nothing beyond size is written.
    for (int i = static_cast<int>(row.expectedText.size()); i < row.size; ++i) {
        EXPECT_EQ(buffer[static_cast<size_t>(i)], '\0') << "at " << i;
    }
    EXPECT_EQ(buffer[static_cast<size_t>(row.size)], '#');
}

INSTANTIATE_TEST_SUITE_P(Rows, PortList,
                         testing::Values(
                             // COM2 would need 11 bytes with its separator and the terminator.
                             ListCase{"tenByteBuffer", {"COM1", "COM2"}, 10, 1, "COM1"},
                             ListCase{"elevenByteBuffer", {"COM1", "COM2"}, 11, 2, "COM1,COM2"},
                             ListCase{"noPorts", {}, 16, 0, ""},
                             ListCase{"firstTooLong", {"ttyUSB0"}, 8, 0, ""},
                             ListCase{"firstJustFits", {"ttyUSB0"}, 9, 1, "ttyUSB0"},
                             // A name that does not fit ends the list, even if later ones would.
                             ListCase{"stopsAtFirstMisfit", {"A", "LONGNAME", "B"}, 8, 1, "A"},
                             ListCase{"oneByte", {"A"}, 1, 0, ""}),
                         [](const testing::TestParamInfo<ListCase> &info) {
                             return info.param.name;
                         });

TEST(PortList, RefusesAbsentOrEmptyBuffer)
{
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(formatPortList({"COM1"}, nullptr, 10), -1);
    EXPECT_EQ(formatPortList({"COM1"}, buffer, 0), -1);
    EXPECT_EQ(formatPortList({"COM1"}, buffer, -3), -1);
    EXPECT_EQ(buffer[0], '#');
}

// The machine's ports, then the published ones, under one size rule; without
// the machine's list (no serial port map) the published ones alone.
TEST(PortList, MachinePortsThenPublishedOnesInOneList)
{
    const std::vector<std::string> machine = {"COM1"};
    const std::vector<std::string> none;
    char buffer[16];
    EXPECT_EQ(formatPortList(&machine, {"SIM1", "LAB3"}, buffer, 16), 3);
    EXPECT_STREQ(buffer, "COM1,SIM1,LAB3");
    // SIM1 needs 11 bytes with the separator and the terminator.
    EXPECT_EQ(formatPortList(&machine, {"SIM1", "LAB3"}, buffer, 10), 1);
    EXPECT_STREQ(buffer, "COM1");
    EXPECT_EQ(formatPortList(nullptr, {"SIM1"}, buffer, 16), 1);
    EXPECT_STREQ(buffer, "SIM1");
    EXPECT_EQ(formatPortList(&none, none, buffer, 16), 0);
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(formatPortList(nullptr, none, buffer, 16), -1);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '\0'));
}

TEST(PortNameOrder, DigitRunsCompareByValue)
{
    std::vector<std::string> names = {"ttyUSB10", "ttyS10", "ttyS2",  "ttyACM0", "ttyS1",
                                      "ttyUSB9",  "SIM1",   "ttyS01", "SIM10"};
    std::sort(names.begin(), names.end(), portNameLess);
    const std::vector<std::string> expected = {"SIM1",  "SIM10",  "ttyACM0", "ttyS01",  "ttyS1",
                                               "ttyS2", "ttyS10", "ttyUSB9", "ttyUSB10"};
    EXPECT_EQ(names, expected);
    EXPECT_FALSE(portNameLess("ttyS1", "ttyS1"));
}

} // namespace
