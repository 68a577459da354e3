#include "DatagramReport.h"

#include "remote/RemoteLineParser.h"

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool Printable(unsigned char c) {
    return c >= 0x20 && c < 0x7F;
}

// Appends bytes with the given characters and backslash escaped by a backslash, and every byte
// outside printable ASCII as hexPrefix and two hex digits.
void AppendEscaped(std::string& out, std::string_view bytes, std::string_view escaped,
                   const char* hexPrefix) {
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (escaped.find(ch) != std::string_view::npos) {
            out += '\\';
            out += ch;
        } else if (Printable(c)) {
            out += ch;
        } else {
            out += hexPrefix;
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
}

} // namespace

std::string EscapeText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    AppendEscaped(out, bytes, "\\", "\\x");
    return out;
}

std::string JsonString(std::string_view bytes) {
    std::string out = "\"";
    AppendEscaped(out, bytes, "\"\\", "\\u00");
    out += '"';
    return out;
}

std::string SenderText(const unsigned char (&address)[4], unsigned short port) {
    return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." + std::to_string(address[2]) +
           "." + std::to_string(address[3]) + ":" + std::to_string(port);
}

bool PassesFilters(const ListenOptions& options, std::string_view bytes) {
    if (!options.app && !options.destination)
        return true;
    const RemoteLineParse p = ParseRemoteLine(bytes);
    return p.ok && (!options.app || p.fields.applicationId == *options.app) &&
           (!options.destination || p.fields.destination == *options.destination);
}

std::string FormatDatagram(const Datagram& d, bool json) {
    const RemoteLineParse p = ParseRemoteLine(d.bytes);
    if (!json) {
        std::string out = d.time + "  " + d.from + "  ";
        if (!p.ok)
            out += "not a REMOTE line (" + std::string(p.error) + "): ";
        return out + EscapeText(d.bytes);
    }
    std::string out = "{\"time\":" + JsonString(d.time) + ",\"from\":" + JsonString(d.from);
    if (p.ok) {
        const RemoteLineFields& f = p.fields;
        out += ",\"app\":" + JsonString(f.applicationId) + ",\"destination\":" + JsonString(f.destination) +
               ",\"command\":" + JsonString(f.textCmd) + ",\"code\":" + std::to_string(f.code) +
               ",\"value\":" + std::to_string(f.value) + ",\"index\":" + std::to_string(f.index);
    } else {
        out += ",\"error\":" + JsonString(p.error);
    }
    return out + ",\"raw\":" + JsonString(d.bytes) + "}";
}
