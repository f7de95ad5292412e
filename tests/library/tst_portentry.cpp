// What every platform's port directory shares: which texts make a network
// entry and which names can be entries at all. The entries' files, their
// owners and access are each platform's (tst_portdir_posix.cpp,
// tests/windows/tst_portdir_win.cpp).
#include "kivra_portdir.h"

#include <gtest/gtest.h>

#include <string>

using namespace kivra;

namespace {

struct TextCase
{
    const char *what;
    std::string text;
    const char *expected; // the URL, or "" when the text is not an entry
};

TEST(NetworkEntryText, OneLineHoldingAKnownSchemeWithSomethingAfterIt)
{
    std::string padded = "socket://lab3:4001";
    padded.resize(kMaxEntryBytes, '\n');
    const TextCase cases[] = {
        {"a raw TCP URL", "socket://127.0.0.1:7000", "socket://127.0.0.1:7000"},
        {"an RFC 2217 URL with an IPv6 literal and a line end", "rfc2217://[::1]:7001\r\n",
         "rfc2217://[::1]:7001"},
        {"padded to exactly the size limit", padded, "socket://lab3:4001"},
        {"one byte over the size limit", padded + "\n", ""},
        {"a scheme the library does not speak", "http://127.0.0.1:7000", ""},
        {"a scheme with nothing after it", "socket://", ""},
        {"a blank inside the URL", "socket://127.0.0.1:7000 --x", ""},
        {"a second line", "socket://127.0.0.1:7000\nsocket://127.0.0.1:7001\n", ""},
        {"empty", "", ""},
    };
    for (const TextCase &c : cases) {
        EXPECT_EQ(networkEntryUrl(c.text), c.expected) << c.what;
    }
    EXPECT_EQ(networkEntryUrl(networkEntryText("socket://[::1]:5")), "socket://[::1]:5");
}

TEST(EntryNames, NoHiddenNamesSeparatorsOrCommas)
{
    for (const char *name : {"SIM1", "LAB-3", "sim_2"}) {
        EXPECT_TRUE(isEntryName(name)) << name;
    }
    for (const char *name : {"", ".SIM1", ".SIM1.lock", "..", "a/b", "SIM1,SIM2"}) {
        EXPECT_FALSE(isEntryName(name)) << name;
    }
}

TEST(LockNames, ReadBackAsTheNameTheyLock)
{
    EXPECT_EQ(portNameOfLock(portLockName("SIM1")), "SIM1");
    for (const char *file : {"SIM1", ".SIM1", "SIM1.lock", ".lock", "..lock", ".SIM1.lock~"}) {
        EXPECT_EQ(portNameOfLock(file), "") << file;
    }
}

} // namespace
