// The buttons keys and mice press in Companion, and the names keys have for every destination: every key of a
// full-size keyboard that sends a line has a button of its own (NumLock and Pause arrive as one key), the
// keypad layout has the keypad's, and the wheel turns the encoder once per whole notch.
#include "capture/KeyTranslation.h"
#include "capture/ScanCodeMap.h"
#include "connections/KeyNames.h"
#include "connections/KeyboardLayouts.h"
#include "connections/MouseSurface.h"
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

constexpr int E0 = 0x100;

// The keys of a full-size keyboard (ISO, which is ANSI with one more key) as the driver reports
// them, Pause included as 0x45; Break and SysRq are Pause and PrintScreen with Ctrl and Alt held.
std::vector<int> FullSizeKeyboard() {
    std::vector<int> keys;
    for (int scan = 0x01; scan <= 0x58; ++scan)
        if (scan != 0x54 && scan != 0x55)
            keys.push_back(scan);
    for (int scan : {0x1C, 0x1D, 0x35, 0x37, 0x38, 0x47, 0x48, 0x49, 0x4B, 0x4D, 0x4F, 0x50, 0x51, 0x52, 0x53,
                     0x5B, 0x5C, 0x5D})
        keys.push_back(E0 | scan);
    return keys;
}

// Whether the capture loop posts a line for the key's press, with no modifier held.
bool SendsALine(int key) {
    std::uint16_t modifiers = 0;
    const KeyAction action = TranslateKey(key & E0 ? 2 : 0, UsScanCodeToVirtualKey(key & 0xFF), modifiers);
    return action.kind != KeyActionKind::Consume;
}

TEST(KeyboardLayouts, FullGivesEverySendingKeyItsOwnButton) {
    const KeyboardLayout& full = KeyboardLayout::Of(KeyboardLayoutKind::Full);
    std::map<int, int> keyOfButton;
    int sending = 0;
    for (int key : FullSizeKeyboard()) {
        const int button = full.ButtonOf(key);
        if (!SendsALine(key)) {
            EXPECT_EQ(button, -1) << std::hex << key << " sends nothing";
            continue;
        }
        ++sending;
        ASSERT_GE(button, 0) << std::hex << key;
        ASSERT_LT(button, full.Buttons());
        const auto [it, fresh] = keyOfButton.emplace(button, key);
        EXPECT_TRUE(fresh) << std::hex << key << " and " << it->second << " share button " << std::dec
                           << button;
    }
    EXPECT_EQ(sending, 97) << "104 keys less two Shifts, two Ctrls, two Alts and Caps Lock";
    EXPECT_EQ(full.ButtonOf(E0 | 0x46), full.ButtonOf(0x45)) << "Break (Ctrl+Pause) is Pause's, NumLock's";
    EXPECT_EQ(full.ButtonOf(0x54), full.ButtonOf(E0 | 0x37)) << "SysRq (Alt+PrintScreen)";
    EXPECT_EQ(full.ButtonOf(0x1C) / full.Columns(), full.ButtonOf(0x1E) / full.Columns()) << "Enter beside L";
    EXPECT_EQ(full.ButtonOf(E0 | 0x1C), full.ButtonOf(0x51) + 1) << "keypad Enter beside 3";
    EXPECT_GT(full.Columns(), 8) << "needs a server that takes wide surfaces";
}

TEST(KeyboardLayouts, KeypadFitsCompanionsDefaultPageWithSpanningKeysInTheirFirstCell) {
    const KeyboardLayout& keypad = KeyboardLayout::Of(KeyboardLayoutKind::Keypad);
    EXPECT_LE(keypad.Columns(), 8);
    EXPECT_LE(keypad.Rows(), 4);
    // Row by row, 5 to a row: 0 and the decimal point in the fifth column beside 6 and Enter.
    const std::map<int, int> expected = {
        {0x45, 0},  {E0 | 0x35, 1}, {0x37, 2},  {0x4A, 3},       {0x47, 5},  {0x48, 6},
        {0x49, 7},  {0x4E, 8},      {0x4B, 10}, {0x4C, 11},      {0x4D, 12}, {0x52, 14},
        {0x4F, 15}, {0x50, 16},     {0x51, 17}, {E0 | 0x1C, 18}, {0x53, 19},
    };
    std::set<int> keypadKeys;
    for (const auto& [key, button] : expected) {
        EXPECT_EQ(keypad.ButtonOf(key), button) << std::hex << key;
        keypadKeys.insert(key);
    }
    for (int key : FullSizeKeyboard()) {
        if (!keypadKeys.contains(key)) {
            EXPECT_EQ(keypad.ButtonOf(key), -1) << std::hex << key << " is not on a keypad";
        }
    }
    EXPECT_EQ(keypad.ButtonOf(-1), -1);
}

TEST(MouseSurface, TheWheelTurnsOncePerWholeNotchEitherWay) {
    WheelSteps wheel;
    EXPECT_EQ(wheel.Add(40), 0);
    EXPECT_EQ(wheel.Add(40), 0);
    EXPECT_EQ(wheel.Add(40), 1) << "three high-resolution steps make a notch";
    EXPECT_EQ(wheel.Add(360), 3);
    EXPECT_EQ(wheel.Add(-100), 0);
    EXPECT_EQ(wheel.Add(-140), -2);
    EXPECT_EQ(wheel.Add(100), 0);
    EXPECT_EQ(wheel.Add(-100), 0) << "back and forth within a notch turns nothing";
    EXPECT_EQ(MouseSurfaceButton(MouseButton::Left), 0);
    EXPECT_EQ(MouseSurfaceButton(MouseButton::Middle), 1);
    EXPECT_EQ(MouseSurfaceButton(MouseButton::Right), 2);
    EXPECT_EQ(kMouseWheelButton, 3);
}

} // namespace

namespace {

// Every key of a full-size keyboard has a name of its own by its place, the same whatever the layout
// prints on it; the keys of both layouts are among them; a key with a modifier held has the name of
// the key it is; a key nobody named still gets a stable name.
TEST(KeyNames, EveryKeyHasItsOwnNameByPlace) {
    std::set<std::string> names;
    for (int key : FullSizeKeyboard()) {
        const std::string name = KeyName(key);
        EXPECT_EQ(name.rfind("sc_", 0), std::string::npos) << std::hex << key;
        EXPECT_TRUE(names.insert(name).second) << name << " twice";
    }
    for (const auto& [key, name] :
         std::map<int, std::string>{{0x47, "kp_7"}, {E0 | 0x1C, "kp_enter"}, {0x1C, "enter"}, {0x64, "f13"}})
        EXPECT_EQ(KeyName(key), name);
    EXPECT_EQ(KeyName(E0 | 0x46), KeyName(0x45)) << "Break is Pause, which arrives as NumLock";
    EXPECT_EQ(KeyName(0x54), KeyName(E0 | 0x37)) << "SysRq is PrintScreen";
    EXPECT_EQ(KeyName(E0 | 0x7A), "sc_e07a");
    for (KeyboardLayoutKind kind : {KeyboardLayoutKind::Keypad, KeyboardLayoutKind::Full})
        for (int key : KeyboardLayout::Of(kind).Keys())
            EXPECT_TRUE(names.contains(KeyName(key))) << std::hex << key;
}

} // namespace
