#pragma once
// Our own INI reader and writer over a file path, for platforms without the Windows profile
// functions. It reads as they do: defaults for a missing file, section or key; names without
// regard to case; white space around names and values ignored; a value in matching quotes read
// without them; the first of duplicate keys; CRLF, LF or no final line end. Writes edit the file
// line by line, keep every other line, and report failure instead of pretending success.
#include "settings/ProfileStore.h"
#include <string>

class IniProfileStore : public ProfileStore {
public:
    explicit IniProfileStore(std::string path) : path_(std::move(path)) {}

    std::string Read(std::string_view section, std::string_view key, std::string_view defaultText) override;
    bool Write(std::string_view section, std::string_view key, std::string_view value) override;
    std::vector<std::string> KeyNames(std::string_view section) override;
    bool DeleteKey(std::string_view section, std::string_view key) override;
    bool DeleteSection(std::string_view section) override;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};
