#include "connections/CompanionSettings.h"
#include "base/AsciiCase.h"
#include "settings/SettingIds.h"

std::optional<KeyboardLayoutKind> ParseKeyboardLayoutName(std::string_view name) {
    for (KeyboardLayoutKind kind : {KeyboardLayoutKind::Keypad, KeyboardLayoutKind::Full})
        if (SameIgnoringAsciiCase(name, KeyboardLayoutName(kind)))
            return kind;
    return std::nullopt;
}

std::string_view KeyboardLayoutName(KeyboardLayoutKind kind) {
    return kind == KeyboardLayoutKind::Full ? "full" : "keypad";
}

void LoadCompanionSettings(Settings& settings, CompanionSettings& values) {
    settings.ReadSettingString(SECTION_COMPANION, KEY_COMPANION_HOST, kDefaultCompanionHost, values.host);
    settings.ReadSettingInt(SECTION_COMPANION, KEY_COMPANION_PORT, kDefaultCompanionPort, values.port);
    settings.ReadSettingString(SECTION_COMPANION, KEY_COMPANION_KEYBOARD_LAYOUT,
                               kDefaultCompanionKeyboardLayout, values.keyboardLayout);
}

bool SaveCompanionSettings(Settings& settings, const CompanionSettings& values) {
    bool ok = settings.WriteSettingString(SECTION_COMPANION, KEY_COMPANION_HOST, values.host);
    ok = settings.WriteSettingInt(SECTION_COMPANION, KEY_COMPANION_PORT, values.port) && ok;
    ok = settings.WriteSettingString(SECTION_COMPANION, KEY_COMPANION_KEYBOARD_LAYOUT,
                                     values.keyboardLayout) &&
         ok;
    return ok;
}
