#include "connections/SatelliteMessage.h"

namespace {

// The fields of a body: blanks split, quotes group, a backslash keeps the next character.
std::vector<std::string> Fragments(std::string_view body) {
    std::vector<std::string> fragments(1);
    bool quoted = false;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\\') {
            if (i + 1 < body.size())
                fragments.back() += body[++i];
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ' ' && !quoted) {
            fragments.emplace_back();
        } else {
            fragments.back() += c;
        }
    }
    return fragments;
}

} // namespace

std::optional<std::string_view> SatelliteMessage::Param(std::string_view key) const {
    for (const auto& [name, value] : params)
        if (name == key)
            return std::string_view(value);
    return std::nullopt;
}

SatelliteMessage ParseSatelliteMessage(std::string_view line) {
    SatelliteMessage message;
    const std::size_t blank = line.find(' ');
    message.command = line.substr(0, blank);
    if (blank != std::string_view::npos)
        message.body = line.substr(blank + 1);

    bool first = true;
    for (std::string& fragment : Fragments(message.body)) {
        if (fragment.empty())
            continue;
        const std::size_t equals = fragment.find('=');
        if (first && equals == std::string::npos && (fragment == "OK" || fragment == "ERROR")) {
            message.answer =
                fragment == "OK" ? SatelliteMessage::Answer::Ok : SatelliteMessage::Answer::Error;
            first = false;
            continue;
        }
        first = false;
        if (equals == 0)
            continue;
        if (equals == std::string::npos)
            message.params.emplace_back(std::move(fragment), std::string());
        else
            message.params.emplace_back(fragment.substr(0, equals), fragment.substr(equals + 1));
    }
    if (message.command == "ERROR" && message.answer == SatelliteMessage::Answer::None) {
        message.command.clear();
        message.answer = SatelliteMessage::Answer::Error;
    }
    return message;
}

std::optional<SatelliteApiVersion> ParseSatelliteApiVersion(std::string_view text) {
    int parts[3] = {};
    int part = 0;
    int digits = 0;
    for (char c : text) {
        if (c == '.') {
            if (digits == 0 || ++part > 2)
                return std::nullopt;
            digits = 0;
        } else if (c >= '0' && c <= '9') {
            if (++digits > 6)
                return std::nullopt;
            parts[part] = parts[part] * 10 + (c - '0');
        } else {
            return std::nullopt;
        }
    }
    if (part != 2 || digits == 0)
        return std::nullopt;
    return SatelliteApiVersion{parts[0], parts[1], parts[2]};
}
