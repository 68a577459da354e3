#include "capture/KeyTranslation.h"
#include "capture/ScanCodeMap.h"
#include <gtest/gtest.h>

namespace {

struct Row {
    std::uint16_t state;
    std::uint32_t vk;
    std::uint16_t modifiersBefore;
    KeyActionKind kind;
    std::uint16_t code; // when posted
    std::uint16_t modifiersAfter;
};

constexpr auto C = KeyActionKind::Consume;
constexpr auto P = KeyActionKind::Post;

// Every row of the key-state tables, plus the default rule around them.
// clang-format off
const Row kRows[] = {
    // state 0: keypad navigation codes become keypad codes
    {0, 12, 0, P, 101, 0}, {0, 33, 0, P, 105, 0}, {0, 34, 0, P, 99, 0}, {0, 35, 0, P, 97, 0}, {0, 36, 0, P, 103, 0},
    {0, 37, 0, P, 100, 0}, {0, 38, 0, P, 104, 0}, {0, 39, 0, P, 102, 0}, {0, 40, 0, P, 98, 0}, {0, 46, 0, P, 110, 0},
    {0, 45, 0, KeyActionKind::KeypadZero, 96, 0}, {0, 44, 0, P, 44, 0}, {0, 44, 2, P, 106, 2}, {0, 44, 4, P, 44, 4},
    {0, 144, 0, P, 19, 0}, {0, 145, 0, P, 17, 0}, {0, 16, 0, C, 0, 1}, {0, 17, 0, C, 0, 4}, {0, 18, 0, C, 0, 2},
    {0, 18, 1, C, 0, 3}, {0, 20, 0, C, 0, 0}, {0, 65, 5, P, 65, 5}, {0, 186, 0, P, 58, 0}, {0, 0, 0, P, 0, 0},
    {0, 128, 0, P, 128, 0}, {0, 255, 0, P, 127, 0},
    // state 1: releases are consumed; a modifier's release clears its own flag only
    {1, 16, 7, C, 0, 6}, {1, 17, 7, C, 0, 3}, {1, 18, 7, C, 0, 5}, {1, 65, 7, C, 0, 7}, {1, 20, 0, C, 0, 0},
    // state 2: E0 presses
    {2, 17, 0, C, 0, 4}, {2, 18, 0, C, 0, 6}, {2, 18, 1, C, 0, 7}, {2, 145, 4, P, 19, 4}, {2, 145, 0, P, 17, 0},
    {2, 160, 0, C, 0, 0}, {2, 191, 0, P, 111, 0}, {2, 223, 0, P, 111, 0}, {2, 234, 0, P, 92, 0}, {2, 241, 0, P, 91, 0},
    {2, 249, 0, P, 93, 0}, {2, 36, 0, P, 36, 0}, {2, 45, 0, P, 45, 0}, {2, 16, 0, P, 16, 0}, {2, 200, 0, P, 72, 0},
    // state 3: E0 releases
    {3, 17, 7, C, 0, 3}, {3, 18, 7, C, 0, 1}, {3, 164, 6, C, 0, 0}, {3, 16, 7, C, 0, 7}, {3, 36, 0, C, 0, 0},
    // state 4: E1 presses; state 5: E1 releases; above 5: the default rule
    {4, 17, 0, C, 0, 0}, {4, 144, 0, P, 16, 0}, {4, 36, 0, P, 36, 0}, {5, 17, 0, C, 0, 0}, {5, 65, 0, C, 0, 0},
    {6, 36, 0, P, 36, 0}, {7, 186, 2, P, 58, 2},
};
// clang-format on

TEST(KeyTranslation, EveryTableRowAndTheDefaultRule) {
    for (const Row& row : kRows) {
        std::uint16_t modifiers = row.modifiersBefore;
        const KeyAction action = TranslateKey(row.state, row.vk, modifiers);
        SCOPED_TRACE("state " + std::to_string(row.state) + " vk " + std::to_string(row.vk) + " modifiers " +
                     std::to_string(row.modifiersBefore));
        EXPECT_EQ(action.kind, row.kind);
        if (row.kind != C) {
            EXPECT_EQ(action.code, row.code);
        }
        EXPECT_EQ(modifiers, row.modifiersAfter);
    }
}

// Keys as they arrive: a scan code through the US mapping, then the tables.
KeyAction Press(std::uint16_t scan, std::uint16_t state, std::uint16_t& modifiers) {
    return TranslateKey(state, UsScanCodeToVirtualKey(scan), modifiers);
}

TEST(KeyTranslation, KeypadKeysAndNavigationKeysStayApart) {
    std::uint16_t m = 0;
    EXPECT_EQ(Press(0x47, 0, m).code, 103); // keypad 7
    EXPECT_EQ(Press(0x47, 2, m).code, 36);  // Home
    EXPECT_EQ(Press(0x52, 0, m).kind, KeyActionKind::KeypadZero);
    EXPECT_EQ(Press(0x52, 2, m).kind, KeyActionKind::Post); // Insert is never gated
    EXPECT_EQ(Press(0x52, 2, m).code, 45);
    EXPECT_EQ(Press(0x53, 0, m).code, 110); // keypad decimal point
    EXPECT_EQ(Press(0x35, 2, m).code, 111); // keypad divide
    EXPECT_EQ(Press(0x5C, 2, m).code, 92);  // right Windows key
    EXPECT_EQ(Press(0x1E, 0, m).code, 65);  // A
    EXPECT_EQ(Press(0x4C, 0, m).code, 101); // keypad 5
    EXPECT_EQ(Press(0x0B, 0, m).code, '0');
    EXPECT_EQ(Press(0x80, 0, m).code, 0); // no translation
    EXPECT_EQ(m, 0);
}

TEST(KeyTranslation, ModifierSequencesAcrossKeys) {
    std::uint16_t m = 0;
    Press(0x38, 2, m); // right Alt: Alt and Ctrl
    EXPECT_EQ(m, 6);
    Press(0x1D, 1, m); // left Ctrl released meanwhile
    EXPECT_EQ(m, AUXMOD_ALT);
    EXPECT_EQ(Press(0x54, 0, m).code, 106); // Alt + SysRq gives multiply
    Press(0x2A, 0, m);                      // Shift down
    EXPECT_EQ(Press(0x1E, 0, m).code, 65);
    EXPECT_EQ(m, AUXMOD_ALT | AUXMOD_SHIFT);
    Press(0x38, 3, m); // right Alt up clears Alt and Ctrl
    Press(0x36, 1, m); // the other Shift up clears Shift as well
    EXPECT_EQ(m, 0);
    EXPECT_EQ(Press(0x3A, 0, m).kind, KeyActionKind::Consume); // Caps Lock
}

} // namespace
