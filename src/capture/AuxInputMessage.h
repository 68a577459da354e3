#pragma once
// WM_AUX_INPUT, the one message from the capture thread to the user interface, and its packing.
// Both sides use PackAuxInput / UnpackAuxInput only.
//
//   wParam bits  0-15  keyboard: modifier flags (1 Shift, 2 Alt, 4 Ctrl); mouse: wheel delta pattern
//   wParam bits 16-23  device number (1-10 keyboards, 11-20 mice)
//   wParam bits 24-31  low 8 bits of the device index (a main device, index -1, gives 255)
//   lParam bits  0-15  translated key code (0-128) or the mouse button state
//   lParam bit  16     main-device mark: set only for a device whose index is negative
//   lParam bits 17-24  keyboard, when the program asks for releases: the scan code (low 8 bits)
//   lParam bit  25     ... its E0 prefix
//   lParam bit  26     ... set: bits 17-25 name the key
//   lParam bit  27     ... set: the key's release (code 0, modifier flags as at the release)
//
// The mark lives in lParam so every wParam bit keeps its fixed meaning; without it an index of
// 128-255 could not be told from a main device. A receiver takes the index from bits 24-31 as an
// unsigned value 0-255 unless the mark is set.
#include "base/WindowMessages.h"

#include <cstdint>

constexpr std::int32_t kAuxMainMark = 1 << 16;
constexpr std::int32_t kAuxKeyNamed = 1 << 26;
constexpr std::int32_t kAuxKeyRelease = 1 << 27;

// The key of a keyboard stroke as the release bookkeeping names it: scan code with the E0 bit.
constexpr int AuxKeyOf(std::uint16_t scanCode, bool e0) {
    return (scanCode & 0xFF) | (e0 ? 0x100 : 0);
}

// The lParam bits that name a key (and, for its release, say so).
constexpr std::int32_t AuxKeyBits(int key, bool release) {
    return ((key & 0x1FF) << 17) | kAuxKeyNamed | (release ? kAuxKeyRelease : 0);
}

struct AuxInputParams {
    std::uint32_t wParam;
    std::int32_t lParam;
};

// index: the device's index from the table; negative marks a main device.
constexpr AuxInputParams PackAuxInput(int device, std::uint16_t low, std::int32_t index, std::uint16_t code) {
    std::uint32_t w = ((static_cast<std::uint32_t>(device) << 16) + low) & 0xFFFFFFu;
    w += static_cast<std::uint32_t>(index) << 24;
    std::int32_t l = code;
    if (index < 0) {
        l |= kAuxMainMark;
    }
    return {w, l};
}

struct AuxInput {
    int device;         // device number, bits 16-23
    std::int16_t value; // modifier flags or wheel delta
    std::int32_t code;  // key code or button state
    bool mainMark;      // true: the event carries no index of its own (main device)
    int index;          // 0-255 when mainMark is false, -1 otherwise
    int key;            // AuxKeyOf of a keyboard event that names its key, -1 otherwise
    bool release;       // the named key's release
};

constexpr AuxInput UnpackAuxInput(std::uint64_t wParam, std::int64_t lParam) {
    AuxInput in{};
    in.device = static_cast<int>((wParam >> 16) & 0xFF);
    in.value = static_cast<std::int16_t>(wParam & 0xFFFF);
    in.code = static_cast<std::int32_t>(lParam & 0xFFFF);
    in.mainMark = (lParam & kAuxMainMark) != 0;
    in.index = in.mainMark ? -1 : static_cast<int>((wParam >> 24) & 0xFF);
    in.key = (lParam & kAuxKeyNamed) != 0 ? static_cast<int>((lParam >> 17) & 0x1FF) : -1;
    in.release = in.key >= 0 && (lParam & kAuxKeyRelease) != 0;
    return in;
}
