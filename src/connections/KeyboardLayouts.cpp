#include "connections/KeyboardLayouts.h"

namespace {

constexpr std::uint16_t E0 = 0x100;

// Companion's default page is 8 x 4: the keypad's fifth row would fall off it, so its 0 and its
// decimal point take the fifth column beside 6 and Enter, and the other keys keep their places. A key
// that spans two cells sits in the first; the second stays empty (0).
constexpr std::uint16_t kKeypad[] = {
    0x45, E0 | 0x35, 0x37, 0x4A,      0,    // NumLock  /  *  -
    0x47, 0x48,      0x49, 0x4E,      0,    // 7 8 9 +
    0x4B, 0x4C,      0x4D, 0,         0x52, // 4 5 6 (+) 0
    0x4F, 0x50,      0x51, E0 | 0x1C, 0x53, // 1 2 3 Enter .
};

// Columns 0-13 the main block, 14-16 the navigation block, 17-20 the keypad. Shift, Ctrl, Alt and
// Caps Lock send nothing, so their cells stay empty; Pause arrives as NumLock and presses its
// button, which leaves Pause's own cell empty.
// clang-format off
constexpr std::uint16_t kFull[] = {
    // Esc, F1-F12 | PrintScreen, Scroll Lock, (Pause) | nothing above the keypad
    0x01, 0, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x57, 0x58,
    E0 | 0x37, 0x46, 0,
    0, 0, 0, 0,
    // ` 1-0 - = Backspace | Insert Home PageUp | NumLock / * -
    0x29, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E,
    E0 | 0x52, E0 | 0x47, E0 | 0x49,
    0x45, E0 | 0x35, 0x37, 0x4A,
    // Tab Q-P [ ] \ | Delete End PageDown | 7 8 9 +
    0x0F, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x2B,
    E0 | 0x53, E0 | 0x4F, E0 | 0x51,
    0x47, 0x48, 0x49, 0x4E,
    // (Caps Lock) A-L ; ' Enter | | 4 5 6 (+)
    0, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x1C, 0,
    0, 0, 0,
    0x4B, 0x4C, 0x4D, 0,
    // (Shift) the ISO key, Z-M , . / (Shift) | Up | 1 2 3 Enter
    0, 0x56, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0, 0,
    0, E0 | 0x48, 0,
    0x4F, 0x50, 0x51, E0 | 0x1C,
    // (Ctrl) Windows (Alt) Space (AltGr) Windows Menu (Ctrl) | Left Down Right | 0 (0) . (Enter)
    0, E0 | 0x5B, 0, 0x39, 0, 0, 0, 0, 0, 0, 0, E0 | 0x5C, E0 | 0x5D, 0,
    E0 | 0x4B, E0 | 0x50, E0 | 0x4D,
    0x52, 0, 0x53, 0,
};
// clang-format on

// Ctrl with Pause sends Break, Alt with PrintScreen sends SysRq: the same key, the same button.
constexpr KeyboardLayout::Alias kFullAliases[] = {
    {E0 | 0x46, 0x45},
    {0x54, E0 | 0x37},
};

constexpr KeyboardLayout kKeypadLayout(5, kKeypad, {});
constexpr KeyboardLayout kFullLayout(21, kFull, kFullAliases);

static_assert(sizeof(kKeypad) / sizeof(kKeypad[0]) == 5 * 4);
static_assert(sizeof(kFull) / sizeof(kFull[0]) == 21 * 6);

} // namespace

const KeyboardLayout& KeyboardLayout::Of(KeyboardLayoutKind kind) {
    return kind == KeyboardLayoutKind::Full ? kFullLayout : kKeypadLayout;
}

int KeyboardLayout::ButtonOf(int key) const {
    if (key <= 0)
        return -1;
    for (const Alias& alias : aliases_)
        if (alias.key == key)
            key = alias.sameAs;
    for (std::size_t i = 0; i < cells_.size(); ++i)
        if (cells_[i] == key)
            return static_cast<int>(i);
    return -1;
}

std::vector<int> KeyboardLayout::Keys() const {
    std::vector<int> keys;
    for (const std::uint16_t cell : cells_)
        if (cell != 0)
            keys.push_back(cell);
    return keys;
}
