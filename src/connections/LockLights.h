#pragma once
// A keyboard's three lock lights as the destinations set them: Companion's colour of the button of
// NumLock, CapsLock or ScrollLock (lit when not black), or an MQTT switch. A station writes them to
// the keyboards with that index; the most recent change wins.
#include "connections/KeyboardLayouts.h"

#include <cstdint>
#include <optional>
#include <string_view>

enum class LockLight : std::uint8_t { Num = 0, Caps = 1, Scroll = 2 };
inline constexpr int kLockLights = 3;

struct LightChange {
    int index = 0; // the keyboards' index the change is for
    LockLight light = LockLight::Num;
    bool on = false;
    bool operator==(const LightChange&) const = default;
};

// The light of a lock key (a set-1 scan code with the E0 bit as 0x100), if it is one.
std::optional<LockLight> LockLightOfKey(int key);
// The button of a layout whose colour sets the light, or -1: the lock key's own button, and for
// CapsLock, which presses nothing, the place it has on a full-size keyboard.
int LightButton(KeyboardLayoutKind layout, LockLight light);
// A colour as Companion sends it ("#rrggbb", or "rgb(r,g,b)") lights a lamp unless it is black; an
// unreadable colour lights nothing.
bool ColourLights(std::string_view colour);
