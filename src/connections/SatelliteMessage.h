#pragma once
// One line from the Satellite server, read as the server's own parameter reader reads lines: the
// command up to the first blank, then blank-separated `KEY=VALUE` fields where double quotes group
// blanks into a value and a backslash takes the next character as it is. An answer names its
// command and then OK or ERROR; an unknown command's answer is a bare `ERROR MESSAGE="..."`.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct SatelliteMessage {
    enum class Answer { None, Ok, Error };

    std::string command; // as sent ("BEGIN", "ADD-DEVICE", ...); empty for a bare ERROR
    Answer answer = Answer::None;
    // In order; a field without `=` has an empty value.
    std::vector<std::pair<std::string, std::string>> params;
    std::string body; // everything after the command and its blank, untouched (a PING's payload)

    // The value of the first field named key (exact case), if there is one.
    std::optional<std::string_view> Param(std::string_view key) const;
};

SatelliteMessage ParseSatelliteMessage(std::string_view line);

// The server's ApiVersion, "major.minor.patch".
struct SatelliteApiVersion {
    int major = 0;
    int minor = 0;
    int patch = 0;
    auto operator<=>(const SatelliteApiVersion&) const = default;
};

// nullopt unless the text is three decimal numbers (at most 6 digits each) joined by dots.
std::optional<SatelliteApiVersion> ParseSatelliteApiVersion(std::string_view text);
