#include "ui/TrayTooltipText.h"

#include <string_view>

namespace {

constexpr std::string_view kMoreNames = "...";
constexpr std::string_view kNameSeparator = ", ";

// As many names as fit in room, whole, then "..." when some were left out.
std::string NamesLine(const std::vector<std::string>& names, std::size_t room) {
    std::string line;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string longer = line.empty() ? names[i] : line + std::string(kNameSeparator) + names[i];
        const bool last = i + 1 == names.size();
        // Room kept for the mark unless this is the last name.
        const std::size_t markRoom = last ? 0 : kNameSeparator.size() + kMoreNames.size();
        if (longer.size() + markRoom > room)
            return line.empty() ? std::string(kMoreNames)
                                : line + std::string(kNameSeparator) + std::string(kMoreNames);
        line = std::move(longer);
    }
    return line;
}

} // namespace

std::string TrayTooltipText(const std::string& first, const std::vector<std::string>& movedNames,
                            const std::vector<std::string>& moreLines) {
    std::string tip = first.substr(0, kTrayTipMax);
    const auto fits = [&tip](std::size_t length) { return tip.size() + 1 + length <= kTrayTipMax; };
    if (!movedNames.empty()) {
        if (!fits(kMoreNames.size()))
            return tip;
        tip.append("\n").append(NamesLine(movedNames, kTrayTipMax - tip.size() - 1));
    }
    for (const std::string& line : moreLines) {
        if (!fits(line.size()))
            break;
        tip.append("\n").append(line);
    }
    return tip;
}
