// The balloon and tip that name devices found on another port: several devices, and ids too long
// for the shell's fields.
#include "ui/MovedDevicesText.h"
#include "ui/TrayTooltipText.h"
#include <gtest/gtest.h>

namespace {

const std::string kPattern =
    "%s was found on another port and now works as a main device. Click here to set it "
    "up again.";

TEST(MovedDevicesText, ThreeDevicesALineThenHowManyMoreAllWithinTheShellsFields) {
    const std::vector<std::string> five{"A", "B", "C", "D", "E"};
    EXPECT_EQ(
        MovedDevicesBalloon(kPattern, five, "and %d more"),
        "A\nB\nC\nand 2 more was found on another port and now works as a main device. Click here to set "
        "it up again.");
    EXPECT_EQ(TrayTooltipText("kvRemote", {"A", "B"}), "kvRemote\nA, B");

    // Ids of 100 characters: fewer lines, more counted; one id of 300 is cut, the sentence kept.
    const std::string id100(100, 'x');
    const std::string balloon = MovedDevicesBalloon(kPattern, {id100, id100, id100}, "and %d more");
    EXPECT_LE(balloon.size(), kBalloonTextMax);
    EXPECT_EQ(balloon.find(id100 + "\nand 2 more was found"), 0u) << balloon;
    const std::string cut = MovedDevicesBalloon(kPattern, {std::string(300, 'x')}, "and %d more");
    EXPECT_EQ(cut.size(), kBalloonTextMax);
    EXPECT_NE(cut.find("x... was found on another port"), std::string::npos) << cut;
    EXPECT_EQ(TrayTooltipText("kvRemote", {std::string(300, 'x')}), "kvRemote\n...");
}

} // namespace
