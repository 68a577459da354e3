#include "ui/CompanionGroup.h"

#include "res/resource.h"
#include "ui/CompanionSettingsCheck.h"
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
    HubConnection connection{CompanionTarget(m_values), nullptr};
    if (connection.target.host.empty())
        return connection; // off, or a hand-edited value that fails its check
    connection.target.firstRetryMs = m_times.firstRetryMs;
    connection.client = std::make_unique<SatelliteClient>(SatelliteClientConfig{
        station, ParseKeyboardLayoutName(m_values.keyboardLayout).value_or(KeyboardLayoutKind::Keypad),
        m_times.protocol});
    return connection;
}
