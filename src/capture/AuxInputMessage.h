#pragma once
// WM_AUX_INPUT, the one message from the capture thread to the user interface, and its packing.
// Both sides use PackAuxInput / UnpackAuxInput only.
//
//   wParam bits  0-15  keyboard: modifier flags (1 Shift, 2 Alt, 4 Ctrl); mouse: wheel delta pattern
//   wParam bits 16-23  device number (1-10 keyboards, 11-20 mice)
//   wParam bits 24-31  low 8 bits of the device index (a main device, index -1, gives 255)
//   lParam bits  0-15  translated key code (0-128) or the mouse button state
//   lParam bit  16     main-device mark: set only for a device whose index is negative
//
// The mark lives in lParam so every wParam bit keeps its fixed meaning; without it an index of
// 128-255 could not be told from a main device. A receiver takes the index from bits 24-31 as an
// unsigned value 0-255 unless the mark is set.
#include "app/WindowMessages.h"

#include <cstdint>

constexpr std::int32_t kAuxMainMark = 1 << 16;

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
};

constexpr AuxInput UnpackAuxInput(std::uint64_t wParam, std::int64_t lParam) {
    AuxInput in{};
    in.device = static_cast<int>((wParam >> 16) & 0xFF);
    in.value = static_cast<std::int16_t>(wParam & 0xFFFF);
    in.code = static_cast<std::int32_t>(lParam & 0xFFFF);
    in.mainMark = (lParam & kAuxMainMark) != 0;
    in.index = in.mainMark ? -1 : static_cast<int>((wParam >> 24) & 0xFF);
    return in;
}
