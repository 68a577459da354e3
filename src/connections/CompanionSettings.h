#pragma once
// The "Companion" section: where Companion's Satellite port is and how keyboards appear there. Read
// as the file has them; CheckCompanionSettings (station/) says whether they can be used.
#include "settings/SettingDefaults.h"
#include "settings/Settings.h"
#include "connections/KeyboardLayouts.h"
#include <optional>
#include <string>
#include <string_view>

struct CompanionSettings {
    std::string host{kDefaultCompanionHost}; // an IPv4 address or a host name; empty: off
    int port = kDefaultCompanionPort;
    std::string keyboardLayout{kDefaultCompanionKeyboardLayout}; // "keypad" or "full"
};

// "keypad" or "full", in any letter case.
std::optional<KeyboardLayoutKind> ParseKeyboardLayoutName(std::string_view name);
std::string_view KeyboardLayoutName(KeyboardLayoutKind kind);

void LoadCompanionSettings(Settings& settings, CompanionSettings& values);
// True when every write succeeded.
bool SaveCompanionSettings(Settings& settings, const CompanionSettings& values);
