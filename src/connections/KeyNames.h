#pragma once
// The names destinations give keys and mouse buttons: a key by its place on the keyboard (scan code
// with the E0 bit, as the release bookkeeping and the Companion layouts name it), lower case and
// stable whatever the layout prints on it: "kp_7", "kp_enter", "enter", "f13", "a".
#include <array>
#include <string>
#include <string_view>

// The key's name. A key with a modifier that arrives under another scan code (Break, SysRq) has the
// name of the key it is; a key the table does not know is "sc_" and its code in hex ("sc_e05e"); empty
// for a key that is not known at all (negative).
std::string KeyName(int key);

// Every mouse button a destination names, in the order of the buttons: left, middle, right, x1, x2.
inline constexpr std::array<std::string_view, 5> kMouseButtonNames = {"left", "middle", "right", "x1", "x2"};
