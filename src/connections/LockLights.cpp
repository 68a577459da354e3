#include "connections/LockLights.h"

#include <charconv>

namespace {

constexpr int kLockKeys[kLockLights] = {0x45, 0x3A, 0x46}; // NumLock, CapsLock, ScrollLock

bool Digits(std::string_view text, int base, unsigned& value) {
    if (text.empty())
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

} // namespace

std::optional<LockLight> LockLightOfKey(int key) {
    for (int i = 0; i < kLockLights; ++i)
        if (kLockKeys[i] == key)
            return static_cast<LockLight>(i);
    return std::nullopt;
}

int LightButton(KeyboardLayoutKind layout, LockLight light) {
    const KeyboardLayout& keys = KeyboardLayout::Of(layout);
    if (light == LockLight::Caps)
        return layout == KeyboardLayoutKind::Full ? 3 * keys.Columns() : -1; // the fourth row's first
    return keys.ButtonOf(kLockKeys[static_cast<int>(light)]);
}

bool ColourLights(std::string_view colour) {
    unsigned value = 0;
    if (colour.size() == 7 && colour.front() == '#')
        return Digits(colour.substr(1), 16, value) && value != 0;
    if (colour.starts_with("rgb(") && colour.ends_with(")")) {
        std::string_view rest = colour.substr(4, colour.size() - 5);
        bool any = false;
        for (int part = 0; part < 3; ++part) {
            const std::size_t comma = rest.find(',');
            if ((part < 2) == (comma == std::string_view::npos))
                return false;
            std::string_view number = rest.substr(0, comma);
            while (!number.empty() && number.front() == ' ')
                number.remove_prefix(1);
            while (!number.empty() && number.back() == ' ')
                number.remove_suffix(1);
            if (!Digits(number, 10, value) || value > 255)
                return false;
            any = any || value != 0;
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        }
        return any;
    }
    return false;
}
