// Linux input events become the same codes as the Windows driver's strokes of the same keys, and
// Linux devices keep ids and numbers that survive re-plugs.
#include "capture/EvdevEvents.h"
#include "capture/EvdevIdentity.h"
#include "capture/KeyTranslation.h"
#include "capture/ScanCodeMap.h"
#include <gtest/gtest.h>
#include <string>

namespace {

// The codes posted for one press of an evdev key, through the shared translation; -1 consumed.
std::string PostedFor(std::uint16_t key, std::uint16_t& modifiers) {
    std::string posted;
    const EvdevStrokes strokes = KeyboardStrokes(evdev::kEvKey, key, 1);
    for (int i = 0; i < strokes.count; ++i) {
        const Stroke& s = strokes.strokes[i];
        const KeyAction action = TranslateKey(s.KeyState(), UsScanCodeToVirtualKey(s.ScanCode()), modifiers);
        if (!posted.empty())
            posted += ' ';
        posted += action.kind == KeyActionKind::Consume ? std::string("-1") : std::to_string(action.code);
    }
    return posted;
}

TEST(EvdevInput, KeysGiveTheCodesOfTheWindowsStation) {
    struct Row {
        std::uint16_t key;
        const char* posted;
    } rows[] = {
        {71, "103"},    // keypad 7
        {82, "96"},     // keypad 0 (the gate decides later)
        {30, "65"},     // A
        {88, "123"},    // F12
        {96, "13"},     // keypad Enter (E0 1C)
        {98, "111"},    // keypad / (E0 35)
        {103, "38"},    // Up (E0 48)
        {119, "-1 19"}, // Pause: E1 1D, then 45
        {125, "91"},    // left Meta (E0 5B)
        {183, "124"},   // F13
        {0x2FF, ""},    // no scan code: no stroke
    };
    for (const Row& row : rows) {
        std::uint16_t modifiers = 0;
        EXPECT_EQ(PostedFor(row.key, modifiers), row.posted) << "key " << row.key;
    }
    std::uint16_t modifiers = 0;
    EXPECT_EQ(PostedFor(97, modifiers), "-1"); // right Ctrl
    EXPECT_EQ(modifiers, AUXMOD_CTRL);
    EXPECT_EQ(KeyboardStrokes(evdev::kEvKey, 71, 0).strokes[0].KeyState(), kKeyUp);
    EXPECT_EQ(KeyboardStrokes(evdev::kEvKey, 103, 0).strokes[0].KeyState(), kKeyUp | kKeyE0);
    EXPECT_EQ(KeyboardStrokes(evdev::kEvKey, 71, 2).strokes[0].KeyState(), 0) << "a repeat is a press";
    EXPECT_EQ(KeyboardStrokes(evdev::kEvSyn, 0, 0).count, 0);
}

TEST(EvdevInput, MouseButtonsAndWheelsAsWindowsStrokes) {
    EXPECT_EQ(MouseStrokes(evdev::kEvKey, evdev::kBtnLeft, 1).strokes[0].ButtonState(), kMouseLeftDown);
    EXPECT_EQ(MouseStrokes(evdev::kEvKey, evdev::kBtnRight, 0).strokes[0].ButtonState(), kMouseRightUp);
    EXPECT_EQ(MouseStrokes(evdev::kEvKey, evdev::kBtnExtra, 1).strokes[0].ButtonState(), kMouseButton5Down);
    const Stroke wheel = MouseStrokes(evdev::kEvRel, evdev::kRelWheel, -1).strokes[0];
    EXPECT_EQ(wheel.ButtonState(), kMouseWheel);
    EXPECT_EQ(wheel.WheelDelta(), -120);
    EXPECT_EQ(MouseStrokes(evdev::kEvRel, 0 /* REL_X */, 5).count, 0);
    EXPECT_EQ(MouseStrokes(evdev::kEvKey, evdev::kBtnLeft, 2).count, 0);
}

TEST(EvdevInput, IdsByPlaceOrSerial) {
    EvdevIdentity left{0x1234, 0x5678, "Keypad", "usb-0000:00:14.0-1/input0", ""};
    EvdevIdentity right = left;
    right.phys = "usb-0000:00:14.0-2/input0";
    EXPECT_EQ(EvdevHardwareId(left), "evdev\\VID_1234&PID_5678\\Keypad\\PHYS_usb-0000:00:14.0-1/input0");
    EXPECT_NE(EvdevHardwareId(left), EvdevHardwareId(right));
    // A serial follows the device to any port.
    left.uniq = right.uniq = "SN 0042";
    EXPECT_EQ(EvdevHardwareId(left), EvdevHardwareId(right));
    EXPECT_EQ(EvdevHardwareId(left), "evdev\\VID_1234&PID_5678\\Keypad\\SERIAL_SN 0042");
    // What the settings file could not keep as it is.
    const EvdevIdentity odd{1, 2, " Pad\n\x7f ", "p", "  "};
    EXPECT_EQ(EvdevHardwareId(odd), "evdev\\VID_0001&PID_0002\\Pad??\\PHYS_p");
}

TEST(EvdevInput, NumbersComeBackToTheirDevices) {
    EvdevNumbers saved;
    saved.Remember(1, "second found");
    EXPECT_EQ(saved.Take(DEVICE_CLASS_KEYBOARDS, "first found"), 2) << "a saved number waits for its device";
    EXPECT_EQ(saved.Take(DEVICE_CLASS_KEYBOARDS, "second found"), 1);

    EvdevNumbers numbers;
    EXPECT_EQ(numbers.Take(DEVICE_CLASS_KEYBOARDS, "a"), 1);
    EXPECT_EQ(numbers.Take(DEVICE_CLASS_KEYBOARDS, "b"), 2);
    EXPECT_EQ(numbers.Take(DEVICE_CLASS_MICE, "m"), 11);
    numbers.Free(1);
    EXPECT_EQ(numbers.Take(DEVICE_CLASS_KEYBOARDS, "c"), 3) << "a never used number before one that waits";
    EXPECT_EQ(numbers.Take(DEVICE_CLASS_KEYBOARDS, "a"), 1) << "a device that comes back is where it was";
    for (int d = 4; d <= 10; ++d)
        EXPECT_EQ(numbers.Take(DEVICE_CLASS_KEYBOARDS, std::to_string(d)), d);
    EXPECT_EQ(numbers.Take(DEVICE_CLASS_KEYBOARDS, "eleventh"), 0);
    numbers.Free(2);
    EXPECT_EQ(numbers.Take(DEVICE_CLASS_KEYBOARDS, "eleventh"), 2) << "full: the lowest free number";
}

} // namespace
