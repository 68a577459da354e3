// What the user reads about connections: the status line, the tooltip's lines, and the station
// name's rule with its default from the computer name.
#include "FakeTexts.h"
#include "connections/ConnectionStatus.h"
#include "connections/StationName.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

const FakeTexts kTexts{
    {IDS_CONNECTION_CONNECTED, "connected to %s"},
    {IDS_CONNECTION_CONNECTING, "connecting to %s"},
    {IDS_CONNECTION_CANNOT_REACH, "cannot reach %s (%s), retrying"},
    {IDS_CONNECTION_DROPPED, "%s; %s events dropped"},
    {IDS_CONNECTION_DOWN_TIP, "Not connected to %s"},
    {IDS_CONNECTION_NO_ANSWER, "no answer in time"},
};

ConnectionStatus Status(LinkState state, std::string reason = {}, std::string detail = {}) {
    ConnectionStatus status;
    status.peer = "Companion";
    status.host = "studio-pc";
    status.port = 16622;
    status.state = state;
    status.reason = std::move(reason);
    status.detail = std::move(detail);
    return status;
}

TEST(ConnectionTexts, StatusLinesSayWhereAndWhyAndTheTooltipNamesTheConnectionsDown) {
    EXPECT_EQ(ConnectionStatusLine(Status(LinkState::Off), kTexts), "");
    EXPECT_EQ(ConnectionStatusLine(Status(LinkState::Connecting), kTexts), "connecting to studio-pc:16622");
    EXPECT_EQ(ConnectionStatusLine(Status(LinkState::Connected, {}, "as kvremoteStage1"), kTexts),
              "connected to studio-pc:16622 as kvremoteStage1");
    EXPECT_EQ(ConnectionStatusLine(Status(LinkState::Retrying, "No connection could be made"), kTexts),
              "cannot reach studio-pc:16622 (No connection could be made), retrying");
    ConnectionStatus silent = Status(LinkState::Retrying);
    silent.dropped = 12;
    EXPECT_EQ(ConnectionStatusLine(silent, kTexts),
              "cannot reach studio-pc:16622 (no answer in time), retrying; 12 events dropped");

    ConnectionStatus broker = Status(LinkState::Retrying, "refused");
    broker.peer = "the MQTT broker";
    EXPECT_EQ(ConnectionsDownTipLines({Status(LinkState::Off), Status(LinkState::Connected),
                                       Status(LinkState::Connecting), broker},
                                      kTexts),
              (std::vector<std::string>{"Not connected to Companion", "Not connected to the MQTT broker"}));
}

TEST(StationName, LettersAndDigitsOneToFifteenByDefaultFromTheComputerName) {
    for (const char* good : {"A", "Stage7", "ABCDEFGHIJKLMNO"})
        EXPECT_TRUE(IsValidStationName(good)) << good;
    for (const char* bad : {"", "ABCDEFGHIJKLMNOP", "stage 7", "stage-7", "st\xe4ge"})
        EXPECT_FALSE(IsValidStationName(bad)) << bad;

    EXPECT_EQ(DefaultStationName("DESKTOP-7H2K_Q9"), "DESKTOP7H2KQ9");
    EXPECT_EQ(DefaultStationName("B\xdcHNE-RECHTS-HINTEN-2"), "BHNERECHTSHINTE");
    EXPECT_EQ(DefaultStationName("--__--"), "station");
    EXPECT_EQ(DefaultStationName(""), "station");
    for (const char* computer : {"DESKTOP-7H2K_Q9", "--", "A-VERY-LONG-COMPUTER-NAME"})
        EXPECT_TRUE(IsValidStationName(DefaultStationName(computer))) << computer;
}

} // namespace
