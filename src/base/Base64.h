#pragma once
// Base64 (RFC 4648, with padding) for binary values the settings file and PEM files keep as text.
#include <optional>
#include <string>
#include <string_view>

std::string Base64Encode(std::string_view bytes);
// Spaces and line breaks are skipped; anything else outside the alphabet, or a wrong length or
// padding, gives nothing.
std::optional<std::string> Base64Decode(std::string_view text);
