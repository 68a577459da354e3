#pragma once
// Key translation of auxiliary keyboards: from a stroke's key state and the virtual-key code of its
// scan code to the code that is posted, or to "consume". A pure function of its inputs; the modifier
// flags are the capture thread's own, one set for all keyboards together.
#include <cstdint>

enum AuxModifier : std::uint16_t { AUXMOD_SHIFT = 1, AUXMOD_ALT = 2, AUXMOD_CTRL = 4 };

enum class KeyActionKind {
    Consume,    // nothing posted
    Post,       // post code
    KeypadZero, // keypad 0: post code (96) only when the keypad-zero gate lets it through
};

struct KeyAction {
    KeyActionKind kind;
    std::uint16_t code;
};

// Codes above 128 lose 128; the rest stay as they are.
constexpr std::uint16_t DefaultKeyCode(std::uint32_t vk) {
    return static_cast<std::uint16_t>(vk > 128 ? vk - 128 : vk);
}

// The shift strokes a keyboard wraps around its navigation keys (with Num Lock on) and PrintScreen:
// E0-prefixed presses and releases of the left or right Shift scan code. Consumed: they are no key.
constexpr bool IsFakeShift(std::uint16_t scanCode, std::uint16_t keyState) {
    return (scanCode == 0x2A || scanCode == 0x36) && (keyState & ~1u) == 2;
}

// keyState: bits 1 release, 2 E0, 4 E1. vk: MapVirtualKey(scan, 1). modifiers: updated in place.
KeyAction TranslateKey(std::uint16_t keyState, std::uint32_t vk, std::uint16_t& modifiers);
