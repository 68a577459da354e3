#pragma once
// The keys and mouse buttons Windows has down, as the capture thread matches them: a key by the low
// byte of its scan code plus 256 when it comes with the E0 prefix, a button by its number (0 left,
// 1 right, 2 middle, 3 and 4 the side buttons). Read on the user-interface thread just before a
// filter is set, so that the repeats and the release of a key pressed before go where its press went.
#include "capture/Stroke.h"
#include <cstdint>

struct WindowsKeys {
    static constexpr int kKeys = 512;
    static constexpr int kWords = kKeys / 32;
    static constexpr int kButtons = 5;

    std::uint32_t keys[kWords] = {};
    std::uint32_t buttons = 0;

    bool Key(int key) const { return (keys[key >> 5] >> (key & 31) & 1u) != 0; }
    void SetKey(int key) { keys[key >> 5] |= 1u << (key & 31); }
    void ClearKey(int key) { keys[key >> 5] &= ~(1u << (key & 31)); }
    bool Empty() const {
        std::uint32_t any = buttons;
        for (std::uint32_t word : keys)
            any |= word;
        return any == 0;
    }
    // Keeps only what `now` has down too.
    void Keep(const WindowsKeys& now) {
        for (int w = 0; w < kWords; ++w)
            keys[w] &= now.keys[w];
        buttons &= now.buttons;
    }
    bool operator==(const WindowsKeys&) const = default;
};

// The key of a keyboard stroke.
constexpr int KeyOf(std::uint16_t scanCode, std::uint16_t keyState) {
    return (scanCode & 0xFF) | ((keyState & kKeyE0) != 0 ? 0x100 : 0);
}

// The down and up transitions of mouse button `button` in a stroke's button state.
constexpr std::uint16_t ButtonDown(int button) {
    return static_cast<std::uint16_t>(1u << (2 * button));
}
constexpr std::uint16_t ButtonUp(int button) {
    return static_cast<std::uint16_t>(2u << (2 * button));
}

// Fills `keys` with what Windows has down now.
using WindowsKeysReader = void (*)(WindowsKeys& keys);
