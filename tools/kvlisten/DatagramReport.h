#pragma once
// What kvlisten prints for one datagram: a text line or a JSON object, with the parsed REMOTE
// fields or the reason the datagram is not a REMOTE line. Bytes are never printed raw outside
// printable ASCII, so no terminal or JSON reader sees control bytes or invalid UTF-8.
#include "ListenOptions.h"
#include <string>
#include <string_view>

struct Datagram {
    std::string time; // local time of arrival, "YYYY-MM-DD HH:MM:SS.mmm"
    std::string from; // sender "address:port"
    std::string_view bytes;
};

// Printable ASCII as is; backslash as \\; every other byte as \xXX.
std::string EscapeText(std::string_view bytes);

// A JSON string literal: quote and backslash escaped, every byte outside printable ASCII as
// \u00XX (the program's texts are ANSI bytes, read here as their Latin-1 code points).
std::string JsonString(std::string_view bytes);

// A sender as "a.b.c.d:port", from the address bytes in network order.
std::string SenderText(const unsigned char (&address)[4], unsigned short port);

// Whether the datagram passes --app and --destination. With a filter set, a datagram that is not
// a REMOTE line never passes: it has no application ID or destination to compare.
bool PassesFilters(const ListenOptions& options, std::string_view bytes);

// One line without its line break: the text form or the JSON object.
std::string FormatDatagram(const Datagram& d, bool json);
