#include "station/KeyboardLights.h"

bool KeyboardLights::Apply(const LightChange& change) {
    if (change.index < 0 || change.index >= static_cast<int>(lit_.size()))
        return false;
    const auto index = static_cast<std::size_t>(change.index);
    const auto bit = static_cast<std::uint8_t>(1u << static_cast<int>(change.light));
    const auto lit = static_cast<std::uint8_t>(change.on ? lit_[index] | bit : lit_[index] & ~bit);
    const bool changed = !set_[index] || lit != lit_[index];
    lit_[index] = lit;
    set_[index] = true;
    return changed;
}

std::optional<unsigned> KeyboardLights::Mask(int index) const {
    if (index < 0 || index >= static_cast<int>(lit_.size()) || !set_[static_cast<std::size_t>(index)])
        return std::nullopt;
    return lit_[static_cast<std::size_t>(index)];
}
