#include "capture/AuxInputMessage.h"
#include "capture/KeypadZeroGate.h"
#include "capture/MouseRule.h"
#include <gtest/gtest.h>

namespace {

TEST(AuxInputMessage, DocumentedLayout) {
    // keypad 7 with Ctrl on keyboard 3, index 5
    AuxInputParams p = PackAuxInput(3, 4, 5, 103);
    EXPECT_EQ(p.wParam, 0x05030004u);
    EXPECT_EQ(p.lParam, 103);
    // wheel notch -120 on mouse 12, index 2
    p = PackAuxInput(12, static_cast<std::uint16_t>(-120), 2, 1024);
    EXPECT_EQ(p.wParam, 0x020C0000u | 0xFF88u);
    EXPECT_EQ(p.lParam, 1024);
    // a main keyboard in setup mode: 255 in the index bits, the mark in lParam
    p = PackAuxInput(1, 0, -1, 65);
    EXPECT_EQ(p.wParam, 0xFF010000u);
    EXPECT_EQ(p.lParam & 0xFFFF, 65);
    // an index of 300 from a hand-edited file keeps its low 8 bits and is no main device
    p = PackAuxInput(2, 0, 300, 65);
    EXPECT_EQ(p.wParam >> 24, 44u);
    EXPECT_EQ(p.lParam, 65);
}

TEST(AuxInputMessage, RoundTripKeepsEveryIndexAndTheMainMark) {
    for (int index : {0, 1, 127, 128, 200, 254, 255}) {
        const AuxInputParams p = PackAuxInput(7, 6, index, 128);
        const AuxInput in = UnpackAuxInput(p.wParam, p.lParam);
        EXPECT_FALSE(in.mainMark) << index;
        EXPECT_EQ(in.index, index);
        EXPECT_EQ(in.device, 7);
        EXPECT_EQ(in.value, 6);
        EXPECT_EQ(in.code, 128);
    }
    const AuxInputParams p = PackAuxInput(20, static_cast<std::uint16_t>(-120), -1, 1024);
    const AuxInput in = UnpackAuxInput(p.wParam, p.lParam);
    EXPECT_TRUE(in.mainMark);
    EXPECT_EQ(in.device, 20);
    EXPECT_EQ(in.value, -120);
    EXPECT_EQ(in.code, 1024);
    // a 64-bit wParam with its upper half set decodes the same
    EXPECT_EQ(UnpackAuxInput(0xFFFFFFFF'C80B0001ull, 2).index, 200);
}

TEST(MouseRule, OnlySingleTransitionsOfButtonsOneToThreeAndTheWheel) {
    for (std::uint16_t state : {1, 2, 4, 8, 16, 32, 1024}) {
        EXPECT_TRUE(IsPostedButtonState(state)) << state;
    }
    for (std::uint16_t state : {0, 3, 5, 6, 64, 128, 256, 512, 2048, 1025, 0xFFFF}) {
        EXPECT_FALSE(IsPostedButtonState(state)) << state;
    }
}

TEST(KeypadZeroGate, OncePerHundredMillisecondsFromThePassingPress) {
    KeypadZeroGate gate;
    EXPECT_TRUE(gate.Pass(1000));
    EXPECT_FALSE(gate.Pass(1000));
    EXPECT_FALSE(gate.Pass(1099)); // auto-repeat inside the window does not extend it
    EXPECT_TRUE(gate.Pass(1100));
    EXPECT_FALSE(gate.Pass(1150));
    EXPECT_TRUE(gate.Pass(5000));
    // across the wrap of the tick count
    EXPECT_TRUE(gate.Pass(0xFFFFFFC0u));
    EXPECT_FALSE(gate.Pass(0x10u)); // 80 ms later, across the wrap
    EXPECT_TRUE(gate.Pass(0x30u));  // 112 ms later
}

} // namespace
