#include "settings/Settings.h"
#include "base/LeadingDecimal.h"
#include <string>

void Settings::ReadSettingString(int section, int key, std::string_view defaultText, std::string& target) {
    target = store_.Read(names_.Name(section), names_.Name(key), defaultText);
}

void Settings::ReadSettingInt(int section, int key, int defaultValue, int& target) {
    std::string text;
    ReadSettingString(section, key, std::to_string(defaultValue), text);
    target = ParseLeadingDecimal(text);
}

void Settings::ReadSettingBool(int section, int key, bool& target) {
    std::string text;
    ReadSettingString(section, key, "0", text);
    target = text != "0";
}

bool Settings::WriteSettingString(int section, int key, std::string_view text) {
    return store_.Write(names_.Name(section), names_.Name(key), text);
}

bool Settings::WriteSettingInt(int section, int key, int value) {
    return WriteSettingString(section, key, std::to_string(value));
}

bool Settings::WriteSettingBool(int section, int key, bool flag) {
    return WriteSettingString(section, key, flag ? "1" : "0");
}

bool Settings::DeleteSection(int section) {
    return store_.DeleteSection(names_.Name(section));
}

bool Settings::DeleteSetting(int section, int key) {
    return store_.DeleteKey(names_.Name(section), names_.Name(key));
}

std::string Settings::ReadKey(int section, std::string_view key, std::string_view defaultText) {
    return store_.Read(names_.Name(section), key, defaultText);
}

bool Settings::WriteKey(int section, std::string_view key, std::string_view text) {
    return store_.Write(names_.Name(section), key, text);
}

bool Settings::DeleteKey(int section, std::string_view key) {
    return store_.DeleteKey(names_.Name(section), key);
}

std::vector<std::string> Settings::KeyNames(int section) {
    return store_.KeyNames(names_.Name(section));
}
