#include "SimDevices.h"

#include <charconv>

namespace {

std::string_view Trim(std::string_view s) {
    const char* blanks = " \t\r\n";
    const auto first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

} // namespace

SimDevices ParseSimDevices(std::string_view text) {
    SimDevices devices;
    int lineNumber = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++lineNumber;
        if (line.empty() || line[0] == '#')
            continue;
        if (line == "absent") {
            devices.absent = true;
            continue;
        }
        int number = 0;
        const auto [rest, ec] = std::from_chars(line.data(), line.data() + line.size(), number);
        const std::string_view id = Trim(line.substr(rest - line.data()));
        const bool separated = rest != line.data() + line.size() && (*rest == ' ' || *rest == '\t');
        if (ec != std::errc{} || !separated || number < 1 || number > 20 || id.empty()) {
            devices.errors.push_back("devices line " + std::to_string(lineNumber) + ": " + std::string(line));
            continue;
        }
        devices.ids[number] = std::string(id);
    }
    return devices;
}
