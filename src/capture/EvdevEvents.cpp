#include "capture/EvdevEvents.h"
#include <array>

namespace {

// Codes 1-83 (Esc to keypad '.') are the set-1 scan codes themselves; the rest are listed.
struct ScanOf {
    std::uint16_t key;
    std::uint16_t scan;
};
constexpr ScanOf kListed[] = {
    {86, 0x56},
    {87, 0x57},
    {88, 0x58},
    {89, 0x73},
    {92, 0x79},
    {93, 0x70},
    {94, 0x7B},
    {96, kScanE0 | 0x1C},
    {97, kScanE0 | 0x1D},
    {98, kScanE0 | 0x35},
    {99, kScanE0 | 0x37},
    {100, kScanE0 | 0x38},
    {102, kScanE0 | 0x47},
    {103, kScanE0 | 0x48},
    {104, kScanE0 | 0x49},
    {105, kScanE0 | 0x4B},
    {106, kScanE0 | 0x4D},
    {107, kScanE0 | 0x4F},
    {108, kScanE0 | 0x50},
    {109, kScanE0 | 0x51},
    {110, kScanE0 | 0x52},
    {111, kScanE0 | 0x53},
    {113, kScanE0 | 0x20},
    {114, kScanE0 | 0x2E},
    {115, kScanE0 | 0x30},
    {116, kScanE0 | 0x5E},
    {117, 0x59},
    {121, 0x7E},
    {124, 0x7D},
    {125, kScanE0 | 0x5B},
    {126, kScanE0 | 0x5C},
    {127, kScanE0 | 0x5D},
    {140, kScanE0 | 0x21},
    {142, kScanE0 | 0x5F},
    {143, kScanE0 | 0x63},
    {155, kScanE0 | 0x6C},
    {156, kScanE0 | 0x66},
    {157, kScanE0 | 0x6B},
    {158, kScanE0 | 0x6A},
    {159, kScanE0 | 0x69},
    {163, kScanE0 | 0x19},
    {164, kScanE0 | 0x22},
    {165, kScanE0 | 0x10},
    {166, kScanE0 | 0x24},
    {172, kScanE0 | 0x32},
    {173, kScanE0 | 0x67},
    {183, 0x64},
    {184, 0x65},
    {185, 0x66},
    {186, 0x67},
    {187, 0x68},
    {188, 0x69},
    {189, 0x6A},
    {190, 0x6B},
    {191, 0x6C},
    {192, 0x6D},
    {193, 0x6E},
    {194, 0x76},
    {217, kScanE0 | 0x65},
    {226, kScanE0 | 0x6D},
};

constexpr std::array<std::uint16_t, 256> MakeTable() {
    std::array<std::uint16_t, 256> table{};
    for (std::uint16_t k = 1; k <= 83; ++k)
        table[k] = k;
    for (const ScanOf& s : kListed)
        table[s.key] = s.scan;
    return table;
}
constexpr std::array<std::uint16_t, 256> kScanCodes = MakeTable();

Stroke KeyStroke(std::uint16_t scan, std::uint16_t state) {
    Stroke s{};
    s.SetU16(0, scan);
    s.SetU16(2, state);
    return s;
}

} // namespace

std::uint16_t EvdevKeyScanCode(std::uint16_t keyCode) {
    return keyCode < kScanCodes.size() ? kScanCodes[keyCode] : 0;
}

EvdevStrokes KeyboardStrokes(std::uint16_t type, std::uint16_t code, std::int32_t value) {
    EvdevStrokes out;
    if (type != evdev::kEvKey || value < 0 || value > 2)
        return out;
    const std::uint16_t up = value == 0 ? kKeyUp : 0;
    if (code == evdev::kKeyPause) {
        out.strokes[0] = KeyStroke(0x1D, kKeyE1 | up);
        out.strokes[1] = KeyStroke(0x45, up);
        out.count = 2;
        return out;
    }
    const std::uint16_t scan = EvdevKeyScanCode(code);
    if (scan == 0)
        return out;
    out.strokes[0] = KeyStroke(scan & 0xFF, static_cast<std::uint16_t>(up | ((scan & kScanE0) ? kKeyE0 : 0)));
    out.count = 1;
    return out;
}

EvdevStrokes MouseStrokes(std::uint16_t type, std::uint16_t code, std::int32_t value) {
    EvdevStrokes out;
    Stroke& s = out.strokes[0];
    if (type == evdev::kEvKey && code >= evdev::kBtnLeft && code <= evdev::kBtnExtra && value != 2) {
        // Buttons 1-5 have two bits each: down, then up.
        const int bit = 2 * (code - evdev::kBtnLeft) + (value == 0 ? 1 : 0);
        s.SetU16(0, static_cast<std::uint16_t>(1u << bit));
        out.count = 1;
    } else if (type == evdev::kEvRel && (code == evdev::kRelWheel || code == evdev::kRelHWheel) &&
               value != 0) {
        s.SetU16(0, code == evdev::kRelWheel ? kMouseWheel : kMouseHWheel);
        s.SetU16(4, static_cast<std::uint16_t>(static_cast<std::int16_t>(value * 120)));
        out.count = 1;
    }
    return out;
}
