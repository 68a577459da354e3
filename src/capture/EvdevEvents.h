#pragma once
// Linux input events (evdev) turned into the driver strokes the capture loop reads, so a key of a
// Linux station takes the same way through translation as on Windows and gives the same code: a
// key's evdev code names its place, whose set-1 scan code (with its E0 or E1 prefix) is what the
// Windows driver reports for it. Portable: the kernel's codes are its stable interface, written
// here as numbers.
#include "capture/Stroke.h"
#include <cstdint>

// Event types and codes of <linux/input-event-codes.h> that the station reads.
namespace evdev {
constexpr std::uint16_t kEvSyn = 0x00, kEvKey = 0x01, kEvRel = 0x02, kEvLed = 0x11;
constexpr std::uint16_t kRelWheel = 0x08, kRelHWheel = 0x06;
constexpr std::uint16_t kBtnLeft = 0x110, kBtnRight = 0x111, kBtnMiddle = 0x112, kBtnSide = 0x113,
                        kBtnExtra = 0x114;
constexpr std::uint16_t kKeyPause = 119;
constexpr std::uint16_t kLedNumLock = 0, kLedCapsLock = 1, kLedScrollLock = 2;
} // namespace evdev

// The set-1 scan code of a key code with kScanE0 for the E0 prefix; 0 for a key without one.
constexpr std::uint16_t kScanE0 = 0x100;
std::uint16_t EvdevKeyScanCode(std::uint16_t keyCode);

// At most two strokes come of one event (Pause is E1 1D then 45, as the Windows driver reports it).
struct EvdevStrokes {
    Stroke strokes[2];
    int count = 0;
};

// A keyboard's event: key presses (value 1) and auto-repeats (2) become presses, 0 a release;
// other events and keys without a scan code give no stroke.
EvdevStrokes KeyboardStrokes(std::uint16_t type, std::uint16_t code, std::int32_t value);

// A mouse's event: buttons 1-5 give their transition, the wheels a notch of 120 per step in the
// wheel delta; movements give no stroke (the capture loop would swallow them anyway).
EvdevStrokes MouseStrokes(std::uint16_t type, std::uint16_t code, std::int32_t value);
