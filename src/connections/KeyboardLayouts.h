#pragma once
// The two button grids a keyboard can be in Companion, and which key presses which button. Keys are
// named as the release bookkeeping names them: scan code with the E0 bit (0x100), so the two Enters
// differ; NumLock and Pause both arrive as 0x45 and so press one button.
#include <cstdint>
#include <span>
#include <vector>

enum class KeyboardLayoutKind : std::uint8_t {
    Keypad, // 5 x 4, a numeric keypad; other keys press nothing
    Full,   // 21 x 6, a full-size keyboard with its navigation block and keypad
};

class KeyboardLayout {
public:
    static const KeyboardLayout& Of(KeyboardLayoutKind kind);

    int Columns() const { return columns_; }
    int Rows() const { return static_cast<int>(cells_.size()) / columns_; }
    int Buttons() const { return static_cast<int>(cells_.size()); }
    // The button (row by row from 0 at the top left) that key presses, or -1.
    int ButtonOf(int key) const;
    // The keys that press a button, each once, in the order of the buttons.
    std::vector<int> Keys() const;

    struct Alias {
        std::uint16_t key;    // what a key sends with a modifier held (Break, SysRq)
        std::uint16_t sameAs; // the key whose button it presses
    };
    constexpr KeyboardLayout(int columns, std::span<const std::uint16_t> cells,
                             std::span<const Alias> aliases)
        : columns_(columns), cells_(cells), aliases_(aliases) {}

private:
    int columns_;
    std::span<const std::uint16_t> cells_; // the key of each button, 0 for none
    std::span<const Alias> aliases_;
};
