// LED cell geometry and which settings controls are usable in each situation.
#include "res/resource.h"
#include "ui/LedGeometry.h"
#include "ui/SettingsControlsEnabling.h"
#include <gtest/gtest.h>
#include <map>

namespace {

TEST(LedGeometry, SourceCellFromStateColourAndShape) {
    EXPECT_EQ(LedCell(LED_DISABLED, LED_GREEN, LED_SQUARE), (LedPoint{32, 80}));
    EXPECT_EQ(LedCell(LED_OFF, LED_BLUE, LED_SQUARE), (LedPoint{16, 112}));
    EXPECT_EQ(LedCell(LED_OFF, LED_YELLOW, LED_ROUND), (LedPoint{16, 32}));
}

TEST(LedGeometry, CentresWhenRoomElseOrigin) {
    EXPECT_EQ(LedPlacement(40, 20), (LedPoint{12, 2}));
    EXPECT_EQ(LedPlacement(16, 16), (LedPoint{0, 0}));
    EXPECT_EQ(LedPlacement(17, 19), (LedPoint{0, 1})); // integer division
    EXPECT_EQ(LedPlacement(12, 13), (LedPoint{0, 0}));
    EXPECT_EQ(LedPlacement(40, 15), (LedPoint{0, 0})); // one side too small: nothing moves
}

std::map<int, bool> AsMap(const std::vector<ControlEnable>& list) {
    std::map<int, bool> m;
    for (const ControlEnable& c : list)
        m[c.controlId] = c.enabled;
    return m;
}

TEST(SettingsEnabling, AuxBoxesNeedDriverAndMoreThanOneDevice) {
    struct Case {
        SettingsEnableInputs in;
        bool keyboardsBox, miceBox;
    };
    const Case cases[] = {
        {{false, 5, 5, false, false}, false, false}, // driver absent
        {{true, 1, 1, false, false}, false, false},  // only the main devices
        {{true, 2, 1, false, false}, true, false},
        {{true, 0, 3, false, false}, false, true},
    };
    for (const Case& c : cases) {
        auto m = AsMap(EnableSettingsControls(c.in));
        EXPECT_EQ(m.at(IDC_KEYB_USE_AUX), c.keyboardsBox);
        EXPECT_EQ(m.at(IDC_MOUSE_USE_AUX), c.miceBox);
    }
}

TEST(SettingsEnabling, SetupButtonsFollowUseAuxMembersAndOthersAreOn) {
    auto m = AsMap(EnableSettingsControls({true, 3, 3, true, false}));
    EXPECT_TRUE(m.at(IDC_KEYB_SETUP));
    EXPECT_FALSE(m.at(IDC_MOUSE_SETUP));
    // The Setup buttons follow the member alone, even without the driver.
    EXPECT_TRUE(AsMap(EnableSettingsControls({false, 0, 0, false, true})).at(IDC_MOUSE_SETUP));
    for (int id : {IDC_BROADCAST_DEFAULT, IDC_PORT_DEFAULT, IDC_APPLICATION_ID_DEFAULT, IDC_BROADCAST_ADDRESS,
                   IDC_PORT, IDC_APPLICATION_ID, IDC_DESTINATION, IDC_KEYB_TEXTCMD_DEFAULT, IDC_KEYB_TEXTCMD,
                   IDC_KEYB_RELEASE_CMD, IDC_KEYB_MAIN_INDEX, IDC_MOUSE_TEXTCMD_DEFAULT, IDC_MOUSE_TEXTCMD,
                   IDC_MOUSE_MAIN_INDEX})
        EXPECT_TRUE(m.at(id)) << id;
    EXPECT_EQ(m.size(), 18u);
    EXPECT_EQ(m.count(IDC_LAST_COMMAND), 0u);
}

TEST(SettingsEnabling, DisableCoversTheSameControlsInTheSameOrder) {
    const auto enable = EnableSettingsControls({true, 3, 3, true, true});
    const auto disable = DisableSettingsControls();
    ASSERT_EQ(enable.size(), disable.size());
    for (size_t i = 0; i < enable.size(); ++i) {
        EXPECT_EQ(disable[i].controlId, enable[i].controlId) << i;
        EXPECT_FALSE(disable[i].enabled);
    }
}

} // namespace
