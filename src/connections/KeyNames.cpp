#include "connections/KeyNames.h"

namespace {

constexpr int E0 = 0x100;

struct Named {
    int key;
    std::string_view name;
};

// Scan code set 1, as the driver reports it. Names follow the key's place on a US keyboard.
// clang-format off
constexpr Named kNames[] = {
    {0x01, "escape"}, {0x02, "1"}, {0x03, "2"}, {0x04, "3"}, {0x05, "4"}, {0x06, "5"}, {0x07, "6"},
    {0x08, "7"}, {0x09, "8"}, {0x0A, "9"}, {0x0B, "0"}, {0x0C, "minus"}, {0x0D, "equal"},
    {0x0E, "backspace"}, {0x0F, "tab"}, {0x10, "q"}, {0x11, "w"}, {0x12, "e"}, {0x13, "r"}, {0x14, "t"},
    {0x15, "y"}, {0x16, "u"}, {0x17, "i"}, {0x18, "o"}, {0x19, "p"}, {0x1A, "bracket_left"},
    {0x1B, "bracket_right"}, {0x1C, "enter"}, {0x1D, "ctrl_left"}, {0x1E, "a"}, {0x1F, "s"},
    {0x20, "d"}, {0x21, "f"}, {0x22, "g"}, {0x23, "h"}, {0x24, "j"}, {0x25, "k"}, {0x26, "l"},
    {0x27, "semicolon"}, {0x28, "quote"}, {0x29, "backquote"}, {0x2A, "shift_left"},
    {0x2B, "backslash"}, {0x2C, "z"}, {0x2D, "x"}, {0x2E, "c"}, {0x2F, "v"}, {0x30, "b"}, {0x31, "n"},
    {0x32, "m"}, {0x33, "comma"}, {0x34, "period"}, {0x35, "slash"}, {0x36, "shift_right"},
    {0x37, "kp_multiply"}, {0x38, "alt_left"}, {0x39, "space"}, {0x3A, "caps_lock"}, {0x3B, "f1"},
    {0x3C, "f2"}, {0x3D, "f3"}, {0x3E, "f4"}, {0x3F, "f5"}, {0x40, "f6"}, {0x41, "f7"}, {0x42, "f8"},
    {0x43, "f9"}, {0x44, "f10"}, {0x45, "num_lock"}, {0x46, "scroll_lock"}, {0x47, "kp_7"},
    {0x48, "kp_8"}, {0x49, "kp_9"}, {0x4A, "kp_minus"}, {0x4B, "kp_4"}, {0x4C, "kp_5"}, {0x4D, "kp_6"},
    {0x4E, "kp_plus"}, {0x4F, "kp_1"}, {0x50, "kp_2"}, {0x51, "kp_3"}, {0x52, "kp_0"},
    {0x53, "kp_decimal"}, {0x56, "intl_backslash"}, {0x57, "f11"}, {0x58, "f12"}, {0x59, "kp_equal"},
    {0x64, "f13"}, {0x65, "f14"}, {0x66, "f15"}, {0x67, "f16"}, {0x68, "f17"}, {0x69, "f18"},
    {0x6A, "f19"}, {0x6B, "f20"}, {0x6C, "f21"}, {0x6D, "f22"}, {0x6E, "f23"}, {0x70, "kana"},
    {0x73, "intl_ro"}, {0x76, "f24"}, {0x79, "convert"}, {0x7B, "non_convert"}, {0x7D, "intl_yen"},
    {0x7E, "kp_comma"},
    {E0 | 0x10, "media_previous"}, {E0 | 0x19, "media_next"}, {E0 | 0x1C, "kp_enter"},
    {E0 | 0x1D, "ctrl_right"}, {E0 | 0x20, "volume_mute"}, {E0 | 0x21, "launch_calculator"},
    {E0 | 0x22, "media_play_pause"}, {E0 | 0x24, "media_stop"}, {E0 | 0x2E, "volume_down"},
    {E0 | 0x30, "volume_up"}, {E0 | 0x32, "browser_home"}, {E0 | 0x35, "kp_divide"},
    {E0 | 0x37, "print_screen"}, {E0 | 0x38, "alt_right"}, {E0 | 0x47, "home"}, {E0 | 0x48, "up"},
    {E0 | 0x49, "page_up"}, {E0 | 0x4B, "left"}, {E0 | 0x4D, "right"}, {E0 | 0x4F, "end"},
    {E0 | 0x50, "down"}, {E0 | 0x51, "page_down"}, {E0 | 0x52, "insert"}, {E0 | 0x53, "delete"},
    {E0 | 0x5B, "meta_left"}, {E0 | 0x5C, "meta_right"}, {E0 | 0x5D, "context_menu"},
    {E0 | 0x5E, "power"}, {E0 | 0x5F, "sleep"}, {E0 | 0x63, "wake_up"}, {E0 | 0x65, "browser_search"},
    {E0 | 0x66, "browser_favorites"}, {E0 | 0x67, "browser_refresh"}, {E0 | 0x68, "browser_stop"},
    {E0 | 0x69, "browser_forward"}, {E0 | 0x6A, "browser_back"}, {E0 | 0x6C, "launch_mail"},
    {E0 | 0x6D, "media_select"},
};
// clang-format on

// Ctrl with Pause sends Break, Alt with PrintScreen sends SysRq: the same key, the same name (Pause
// itself arrives as NumLock, as the Companion layouts have it).
constexpr Named kAliases[] = {
    {E0 | 0x46, "num_lock"},
    {0x54, "print_screen"},
};

} // namespace

std::string KeyName(int key) {
    if (key < 0)
        return {};
    for (const Named& named : kNames)
        if (named.key == key)
            return std::string(named.name);
    for (const Named& alias : kAliases)
        if (alias.key == key)
            return std::string(alias.name);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string name = key & E0 ? "sc_e0" : "sc_";
    name += kHex[(key >> 4) & 0xF];
    name += kHex[key & 0xF];
    return name;
}
