// The tray tooltip's lines in their order, and where it is cut when they do not all fit in the
// shell's 127 characters.
#include "ui/TrayTooltipText.h"
#include <gtest/gtest.h>

namespace {

TEST(TrayTooltipText, LinesKeepTheirOrderAndTheTipIsCutAtALineBoundary) {
    const std::string head = "kvRemote - not capturing";
    const std::string port = "USB Port #3 (HID\\VID_05A4&PID_9759)"; // 35 characters
    EXPECT_EQ(TrayTooltipText(head, {}), head);
    EXPECT_EQ(TrayTooltipText(head, {port}, {"Companion: connected"}),
              head + "\n" + port + "\nCompanion: connected");

    // Two names leave 30 characters: a line of 29 fits; one of 30 is left out, and so is any after it.
    const std::string full = TrayTooltipText(head, {port, port}, {std::string(29, 'a'), "b"});
    EXPECT_EQ(full.size(), kTrayTipMax);
    EXPECT_EQ(full, head + "\n" + port + ", " + port + "\n" + std::string(29, 'a'));
    EXPECT_EQ(TrayTooltipText(head, {port, port}, {std::string(30, 'a'), "b"}),
              head + "\n" + port + ", " + port);

    // Devices that do not all fit keep their line, with as many whole names as there is room for.
    const std::string many = TrayTooltipText(head, {port, port, port, port}, {"MQTT: connected"});
    EXPECT_EQ(many, head + "\n" + port + ", " + port + ", ...\nMQTT: connected");
    EXPECT_LE(many.size(), kTrayTipMax);
}

} // namespace
