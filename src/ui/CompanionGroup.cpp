#include "ui/CompanionGroup.h"

#include "res/resource.h"
#include "station/CompanionSettingsCheck.h"
#include "ui/NamedChoiceExchange.h"
#include "winfx/DataExchange.h"
#include "winfx/StringTable.h"

#include <windows.h>

namespace {

// The longest host name there is.
constexpr int kHostMaxChars = 253;

void ExchangeLayout(CDataExchange* dx, std::string& name) {
    static constexpr KeyboardLayoutKind kChoices[] = {KeyboardLayoutKind::Keypad, KeyboardLayoutKind::Full};
    ExchangeNamedChoice(dx, IDC_COMPANION_LAYOUT, name, std::span<const KeyboardLayoutKind>(kChoices),
                        KeyboardLayoutName, ParseKeyboardLayoutName);
}

} // namespace

void CompanionGroup::Load(Settings& settings) {
    LoadCompanionSettings(settings, m_values);
}

void CompanionGroup::Exchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_COMPANION_HOST, m_values.host, kHostMaxChars);
    DDX_Text(dx, IDC_COMPANION_PORT, m_values.port, 1, 65535);
    ExchangeLayout(dx, m_values.keyboardLayout);
}

int CompanionGroup::Check(MessageBoxes& boxes, HWND owner) {
    const SettingsProblem problem = CheckCompanionSettings(m_values);
    if (problem.Ok())
        return 0;
    boxes.Show(owner, LoadResourceString(static_cast<unsigned>(problem.messageId)), MB_OK | MB_ICONERROR);
    return problem.controlId;
}

bool CompanionGroup::Save(Settings& settings) {
    return SaveCompanionSettings(settings, m_values);
}

int CompanionGroup::StatusControlId() const {
    return IDC_COMPANION_STATUS;
}

HubConnection CompanionGroup::Connection(const std::string& station) const {
    return CompanionConnection(m_values, station, m_times);
}
