#pragma once
// A store of INI-style profile values (section, key, text), the one way settings reach the
// configuration file. Implemented over the Windows profile functions and, where they do not exist,
// by our own INI reader and writer; both behave the same for everything the program relies on.
#include <string>
#include <string_view>
#include <vector>

class ProfileStore {
public:
    // Longest value a read returns; longer stored values are cut to this many characters.
    static constexpr std::size_t kMaxValueLength = 1022;

    virtual ~ProfileStore() = default;

    // The stored text (possibly empty), or defaultText when the file, section or key is missing.
    virtual std::string Read(std::string_view section, std::string_view key,
                             std::string_view defaultText) = 0;
    // Creates the file, section and key as needed, or replaces the value. False when the write failed.
    virtual bool Write(std::string_view section, std::string_view key, std::string_view value) = 0;
    // The key names of the section, in file order (empty for a missing file or section).
    virtual std::vector<std::string> KeyNames(std::string_view section) = 0;
    // Removes one key; a missing key is not a failure.
    virtual bool DeleteKey(std::string_view section, std::string_view key) = 0;
    // Removes the section header and all its keys; a missing section is not a failure.
    virtual bool DeleteSection(std::string_view section) = 0;
};
