#include "connections/StationName.h"

#include "settings/SettingIds.h"

namespace {

bool IsAsciiLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

} // namespace

bool IsValidStationName(std::string_view name) {
    if (name.empty() || name.size() > kStationNameMax)
        return false;
    for (const char c : name)
        if (!IsAsciiLetterOrDigit(c))
            return false;
    return true;
}

std::string DefaultStationName(std::string_view computerName) {
    std::string name;
    for (const char c : computerName)
        if (IsAsciiLetterOrDigit(c) && name.size() < kStationNameMax)
            name += c;
    return name.empty() ? std::string("station") : name;
}

std::string LoadStationName(Settings& settings, std::string_view computerName) {
    std::string name;
    settings.ReadSettingString(SECTION_CONNECTIONS, KEY_CONNECTIONS_STATION, "", name);
    return name.empty() ? DefaultStationName(computerName) : name;
}

bool SaveStationName(Settings& settings, std::string_view name) {
    return settings.WriteSettingString(SECTION_CONNECTIONS, KEY_CONNECTIONS_STATION, name);
}
