#include "ui/MovedDevicesText.h"

#include "winfx/TextFormat.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace {

constexpr std::size_t kListedMax = 3;
constexpr std::string_view kCut = "...";

std::string Cut(std::string text, std::size_t max) {
    if (text.size() <= max || max < kCut.size())
        return text.substr(0, max);
    text.resize(max - kCut.size());
    return text.append(kCut);
}

std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
    std::string text;
    for (const std::string& part : parts) {
        if (!text.empty())
            text.append(separator);
        text.append(part);
    }
    return text;
}

} // namespace

std::string MovedDeviceName(const std::string& portLabel, const std::string& hardwareId) {
    return portLabel + " (" + hardwareId + ")";
}

std::string MovedDevicesBalloon(const std::string& pattern, const std::vector<std::string>& names,
                                const std::string& moreFormat) {
    const std::size_t fixed = pattern.size() - std::min<std::size_t>(pattern.size(), 2); // without %s
    const std::size_t room = kBalloonTextMax > fixed ? kBalloonTextMax - fixed : 0;
    // Fewer lines, more in "and N more", until the text fits; one cut line as the last resort.
    for (std::size_t listed = std::min(names.size(), kListedMax); listed >= 1; --listed) {
        std::vector<std::string> shown(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(listed));
        if (names.size() > listed)
            shown.push_back(FormatText(moreFormat, {std::to_string(names.size() - listed)}));
        const std::string lines = Join(shown, "\n");
        if (lines.size() <= room || listed == 1)
            return FormatText(pattern, {Cut(lines, room)});
    }
    return FormatText(pattern, {""});
}
