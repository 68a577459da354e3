#include "connections/SatelliteCommand.h"

namespace {

bool NeedsQuotes(std::string_view value) {
    if (value.empty())
        return true;
    for (char c : value)
        if (c == ' ' || c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20)
            return true;
    return false;
}

} // namespace

std::string SatelliteValue(std::string_view value) {
    if (!NeedsQuotes(value))
        return std::string(value);
    std::string out = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
    out += '"';
    return out;
}

SatelliteCommand& SatelliteCommand::Text(std::string_view key, std::string_view value) {
    line_ += ' ';
    line_ += key;
    line_ += '=';
    line_ += SatelliteValue(value);
    return *this;
}

SatelliteCommand& SatelliteCommand::Number(std::string_view key, std::int64_t value) {
    return Text(key, std::string_view(std::to_string(value)));
}

SatelliteCommand& SatelliteCommand::Bool(std::string_view key, bool value) {
    return Text(key, std::string_view(value ? "true" : "false"));
}

SatelliteCommand& SatelliteCommand::Raw(std::string_view text) {
    line_ += ' ';
    for (char c : text)
        line_ += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    return *this;
}
