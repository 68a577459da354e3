// The interface-list query behind the settings' Default button. The address it proposes is only
// looked at here: nothing in this suite is ever sent to it.
#include "remote/BroadcastDetectionWin32.h"

#include <gtest/gtest.h>

#include <winsock2.h>

#include <cstdio>
#include <string>

namespace {

// Four decimal groups 0-255 joined by dots, nothing before or after, no leading zeros.
bool IsDottedQuad(const std::string& text) {
    unsigned groups[4];
    char tail = 0;
    if (std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%c", &groups[0], &groups[1], &groups[2], &groups[3],
                    &tail) != 4) {
        return false;
    }
    char rebuilt[16];
    for (unsigned g : groups) {
        if (g > 255) {
            return false;
        }
    }
    std::snprintf(rebuilt, sizeof rebuilt, "%u.%u.%u.%u", groups[0], groups[1], groups[2], groups[3]);
    return text == rebuilt;
}

} // namespace

TEST(DottedQuadCheck, TellsWellFormedAddresses) {
    for (const char* good : {"127.255.255.255", "0.0.0.0", "192.168.1.255", "10.255.255.255"}) {
        EXPECT_TRUE(IsDottedQuad(good)) << good;
    }
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1.2.3.4 ", "01.2.3.4", "1..2.3", "a.b.c.d"}) {
        EXPECT_FALSE(IsDottedQuad(bad)) << bad;
    }
}

// Before the socket layer is started no socket can be opened: the loopback broadcast comes back.
TEST(DetectBroadcastAddressWin32, WithoutTheSocketLayerFallsBackToLoopbackBroadcast) {
    const SOCKET probe = socket(AF_INET, SOCK_DGRAM, 0);
    if (probe != INVALID_SOCKET) {
        closesocket(probe);
        GTEST_SKIP() << "the socket layer is already started in this process";
    }
    EXPECT_EQ(DetectBroadcastAddressWin32(), "127.255.255.255");
}

TEST(DetectBroadcastAddressWin32, ProposesAWellFormedAddressOfTheMachine) {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    const std::string address = DetectBroadcastAddressWin32();
    EXPECT_TRUE(IsDottedQuad(address)) << address;
    EXPECT_NE(address, "0.0.0.0");
    // Loopback interfaces are never ranked, so a 127 address can only be the fallback.
    if (address.rfind("127.", 0) == 0) {
        EXPECT_EQ(address, "127.255.255.255");
    }
    // The same machine gives the same answer, and the socket of the first call was let go.
    EXPECT_EQ(DetectBroadcastAddressWin32(), address);
    WSACleanup();
}
