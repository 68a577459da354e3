#pragma once
// Typed reads and writes of settings addressed by setting id (SettingIds.h) through the name table.
// Every configuration read and write of the program goes through here.
#include "settings/ProfileStore.h"
#include "settings/SettingNames.h"
#include <string>
#include <string_view>
#include <vector>

class Settings {
public:
    Settings(ProfileStore& store, const SettingNames& names) : store_(store), names_(names) {}

    // The stored text, or the default when the file, section or key is missing.
    void ReadSettingString(int section, int key, std::string_view defaultText, std::string& target);
    // The stored text by leading-decimal parsing ("12ab" -> 12, "abc" -> 0), or the default.
    void ReadSettingInt(int section, int key, int defaultValue, int& target);
    // Off only when the stored text is exactly "0"; a missing key reads as off.
    void ReadSettingBool(int section, int key, bool& target);
    // Each write reports whether it succeeded.
    bool WriteSettingString(int section, int key, std::string_view text);
    bool WriteSettingInt(int section, int key, int value);
    bool WriteSettingBool(int section, int key, bool flag); // "1" or "0"
    bool DeleteSection(int section);
    bool DeleteSetting(int section, int key);

    // Keys built at run time ("Device%d", ...) inside a section addressed by id.
    std::string ReadKey(int section, std::string_view key, std::string_view defaultText);
    bool WriteKey(int section, std::string_view key, std::string_view text);
    bool DeleteKey(int section, std::string_view key);
    std::vector<std::string> KeyNames(int section);

    ProfileStore& Store() { return store_; }

private:
    ProfileStore& store_;
    const SettingNames& names_;
};
