// Which broadcast address the Default button proposes for a list of interfaces.
#include "remote/BroadcastDetection.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr uint32_t Ip(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    return a << 24 | b << 16 | c << 8 | d;
}

const InterfaceRecord kLoopback{kIffUp | kIffLoopback, Ip(127, 0, 0, 1), Ip(255, 0, 0, 0)};
InterfaceRecord Up(uint32_t address, uint32_t mask) {
    return {kIffUp | 2 /* broadcast */, address, mask};
}

struct DetectCase {
    const char* name;
    std::vector<InterfaceRecord> interfaces;
    const char* expected;
};

class DetectBroadcastTest : public ::testing::TestWithParam<DetectCase> {};

TEST_P(DetectBroadcastTest, PicksBestRankedInterface) {
    EXPECT_EQ(DetectBroadcastAddress(GetParam().interfaces), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, DetectBroadcastTest,
    ::testing::Values(
        DetectCase{"HomeLanAndLoopback",
                   {kLoopback, Up(Ip(192, 168, 1, 20), Ip(255, 255, 255, 0))},
                   "192.168.1.255"},
        DetectCase{"Rank1BeatsRank2",
                   {Up(Ip(10, 0, 0, 5), Ip(255, 0, 0, 0)), Up(Ip(172, 20, 3, 4), Ip(255, 255, 0, 0))},
                   "172.20.255.255"},
        DetectCase{"LinkLocalOnly", {Up(Ip(169, 254, 7, 9), Ip(255, 255, 0, 0))}, "169.254.255.255"},
        DetectCase{"PublicOnly", {Up(Ip(81, 2, 3, 4), Ip(255, 255, 255, 248))}, "81.2.3.7"},
        DetectCase{"FirstOfEqualRankWins",
                   {Up(Ip(192, 168, 5, 1), Ip(255, 255, 255, 0)), Up(Ip(192, 168, 9, 1), Ip(255, 255, 0, 0))},
                   "192.168.5.255"},
        DetectCase{"DownInterfaceIgnored",
                   {{2, Ip(192, 168, 1, 1), Ip(255, 255, 255, 0)}, Up(Ip(10, 1, 2, 3), Ip(255, 255, 0, 0))},
                   "10.1.255.255"},
        DetectCase{"ZeroAddressIgnored", {Up(0, 0), Up(Ip(81, 2, 3, 4), Ip(255, 255, 255, 0))}, "81.2.3.255"},
        DetectCase{"NoUsableInterface",
                   {kLoopback, {0, Ip(192, 168, 1, 1), Ip(255, 255, 255, 0)}},
                   "127.255.255.255"},
        DetectCase{"EmptyList", {}, "127.255.255.255"},
        // "172.16." needs the dot right after 16, so 172.160.x.x is public and loses to 10.x.
        DetectCase{"NotA172PrivatePrefix",
                   {Up(Ip(172, 160, 1, 1), Ip(255, 255, 0, 0)), Up(Ip(10, 9, 8, 7), Ip(255, 0, 0, 0))},
                   "10.255.255.255"},
        // Flags other than up and loopback are not looked at; a full mask gives the address itself.
        DetectCase{"OnlyUpFlag", {{kIffUp, Ip(192, 168, 0, 7), 0xFFFFFFFFu}}, "192.168.0.7"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrivateRangeRanks, RanksEdgesOfEachRange) {
    EXPECT_EQ(AddressRank("192.168.0.1"), 0);
    EXPECT_EQ(AddressRank("172.31.255.1"), 1);
    EXPECT_EQ(AddressRank("172.15.0.1"), 4);
    EXPECT_EQ(AddressRank("172.32.0.1"), 4);
    EXPECT_EQ(AddressRank("10.0.0.1"), 2);
    EXPECT_EQ(AddressRank("169.254.1.1"), 3);
    EXPECT_EQ(AddressRank("192.169.0.1"), 4);
    EXPECT_EQ(PrivateRangeRanks[19].prefix, nullptr);
}

} // namespace
