// Network port names: what parses, to what, and what is refused.
#include "net/neturl.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using kivra::NetAddress;
using kivra::NetScheme;

struct UrlCase
{
    const char *name;
    const char *text;
    bool valid;
    NetScheme scheme;
    const char *host;
    int port;
};

void PrintTo(const UrlCase &row, std::ostream *out)
{
    *out << row.name;
}

class UrlParse : public testing::TestWithParam<UrlCase>
{
};

TEST_P(UrlParse, GivesSchemeHostAndPortOrRefuses)
{
    const UrlCase &row = GetParam();
    NetAddress address;
    ASSERT_EQ(kivra::parseNetAddress(row.text, &address), row.valid);
    if (row.valid) {
        EXPECT_EQ(address.scheme, row.scheme);
        EXPECT_EQ(address.host, row.host);
        EXPECT_EQ(address.port, row.port);
    }
}

constexpr NetScheme kRaw = NetScheme::RawSocket;
constexpr NetScheme kTelnet = NetScheme::Rfc2217;

INSTANTIATE_TEST_SUITE_P(
    Rows, UrlParse,
    testing::Values(UrlCase{"rawIpv4", "socket://127.0.0.1:4001", true, kRaw, "127.0.0.1", 4001},
                    UrlCase{"telnetName", "rfc2217://lab-pc.example:2217", true, kTelnet,
                            "lab-pc.example", 2217},
                    UrlCase{"ipv6InBrackets", "rfc2217://[::1]:7000", true, kTelnet, "::1", 7000},
                    UrlCase{"ipv6Full", "socket://[fe80::1%eth0]:1", true, kRaw, "fe80::1%eth0", 1},
                    UrlCase{"highestPort", "socket://h:65535", true, kRaw, "h", 65535},
                    UrlCase{"portZero", "socket://h:0", false, kRaw, "", 0},
                    UrlCase{"portTooLarge", "socket://h:65536", false, kRaw, "", 0},
                    UrlCase{"portHuge", "socket://h:99999999999999999999", false, kRaw, "", 0},
                    UrlCase{"portNotNumber", "socket://h:12a", false, kRaw, "", 0},
                    UrlCase{"portSigned", "socket://h:+12", false, kRaw, "", 0},
                    UrlCase{"noPort", "socket://h", false, kRaw, "", 0},
                    UrlCase{"emptyPort", "socket://h:", false, kRaw, "", 0},
                    UrlCase{"noHost", "socket://:4001", false, kRaw, "", 0},
                    UrlCase{"emptyBrackets", "socket://[]:4001", false, kRaw, "", 0},
                    UrlCase{"bareIpv6", "socket://::1:4001", false, kRaw, "", 0},
                    UrlCase{"unclosedBracket", "socket://[::1:4001", false, kRaw, "", 0},
                    UrlCase{"bracketNoPort", "socket://[::1]", false, kRaw, "", 0},
                    UrlCase{"path", "socket://h:4001/x", false, kRaw, "", 0},
                    UrlCase{"space", "socket://a b:4001", false, kRaw, "", 0},
                    UrlCase{"userInfo", "socket://u@h:4001", false, kRaw, "", 0},
                    UrlCase{"upperScheme", "SOCKET://h:4001", false, kRaw, "", 0},
                    UrlCase{"otherScheme", "telnet://h:23", false, kRaw, "", 0},
                    UrlCase{"deviceName", "ttyUSB0", false, kRaw, "", 0}),
    [](const testing::TestParamInfo<UrlCase> &info) { return info.param.name; });

TEST(UrlParse, NetworkNamesAreToldApartEvenWhenMalformed)
{
    EXPECT_TRUE(kivra::isNetworkName("socket://"));
    EXPECT_TRUE(kivra::isNetworkName("rfc2217://x"));
    EXPECT_FALSE(kivra::isNetworkName("SIM1"));
    EXPECT_FALSE(kivra::isNetworkName("/dev/socket://x"));
}

TEST(UrlParse, OneKeyPerServerWhateverTheCaseOfTheHost)
{
    NetAddress a;
    NetAddress b;
    NetAddress c;
    ASSERT_TRUE(kivra::parseNetAddress("socket://LocalHost:9", &a));
    ASSERT_TRUE(kivra::parseNetAddress("socket://localhost:9", &b));
    ASSERT_TRUE(kivra::parseNetAddress("rfc2217://localhost:9", &c));
    EXPECT_EQ(kivra::netAddressKey(a), kivra::netAddressKey(b));
    EXPECT_NE(kivra::netAddressKey(b), kivra::netAddressKey(c));
}

} // namespace
