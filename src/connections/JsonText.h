#pragma once
// JSON text for what the program publishes: strings quoted and escaped.
#include <string>
#include <string_view>

// A JSON string literal of UTF-8 text: quotes, backslashes and control characters escaped.
inline std::string JsonQuoted(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += "\\u00";
            out += kHex[(c >> 4) & 0xF];
            out += kHex[c & 0xF];
        } else {
            out += c;
        }
    }
    return out + '"';
}
