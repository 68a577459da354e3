#pragma once
// One line of the Satellite protocol as the client sends it: `COMMAND KEY=VALUE KEY="a value" ...\n`.
// A value with a blank, a double quote or a backslash is quoted, and inside quotes `"` and `\` are
// escaped with a backslash, which is how the server's parameter reader takes them back.
#include <cstdint>
#include <string>
#include <string_view>

// The value as it is written after `KEY=`; line breaks and other control characters become blanks
// (a value cannot hold them).
std::string SatelliteValue(std::string_view value);

class SatelliteCommand {
public:
    explicit SatelliteCommand(std::string_view command) : line_(command) {}

    SatelliteCommand& Text(std::string_view key, std::string_view value);
    SatelliteCommand& Number(std::string_view key, std::int64_t value);
    SatelliteCommand& Bool(std::string_view key, bool value); // true / false
    // Text after the command as it is, for PING and PONG payloads.
    SatelliteCommand& Raw(std::string_view text);

    // The line with its terminator.
    std::string Line() const { return line_ + "\n"; }

private:
    std::string line_;
};
