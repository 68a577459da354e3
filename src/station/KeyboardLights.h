#pragma once
// The lock lights of each keyboard index as the destinations last set them (the most recent change
// wins, whichever destination made it): a change lights every keyboard with that index, and a
// keyboard that comes back gets its index's lights again. An index no destination set is left as
// the system keeps it.
#include "connections/LockLights.h"

#include <array>
#include <cstdint>
#include <optional>

class KeyboardLights {
public:
    // True when the index's lights changed.
    bool Apply(const LightChange& change);
    // Num Lock bit 0, Caps Lock bit 1, Scroll Lock bit 2 (the kernel's LED numbers); nothing for an
    // index no destination set.
    std::optional<unsigned> Mask(int index) const;

private:
    std::array<std::uint8_t, 256> lit_{};
    std::array<bool, 256> set_{};
};
