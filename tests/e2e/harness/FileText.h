// Reading files a program under test wrote (its configuration file, a log), byte for byte.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kve2e {

// The whole file as bytes (no newline translation), or nullopt when it cannot be opened.
std::optional<std::string> ReadFileText(const std::filesystem::path& path);

// Writes bytes as given (no newline translation); false when the file cannot be written.
bool WriteFileText(const std::filesystem::path& path, std::string_view text);

} // namespace kve2e
