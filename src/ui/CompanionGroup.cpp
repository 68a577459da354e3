#include "ui/CompanionGroup.h"

#include "res/resource.h"
#include "ui/CompanionSettingsCheck.h"
#include "winfx/DataExchange.h"
#include "winfx/StringTable.h"

#include <windows.h>

namespace {

// The longest host name there is.
constexpr int kHostMaxChars = 253;

// The layout's drop-down list holds the names the file uses. A name from a hand-edited file that
// is none of them selects nothing and is kept, so that the check names it.
void ExchangeLayout(CDataExchange* dx, std::string& name) {
    if (dx->failed)
        return;
    const HWND list = dx->m_pDlg->GetDlgItem(IDC_COMPANION_LAYOUT);
    if (!dx->m_bSaveAndValidate) {
        if (::SendMessageA(list, CB_GETCOUNT, 0, 0) == 0)
            for (KeyboardLayoutKind kind : {KeyboardLayoutKind::Keypad, KeyboardLayoutKind::Full})
                ::SendMessageA(list, CB_ADDSTRING, 0,
                               reinterpret_cast<LPARAM>(std::string(KeyboardLayoutName(kind)).c_str()));
        const auto kind = ParseKeyboardLayoutName(name);
        const std::string shown = kind ? std::string(KeyboardLayoutName(*kind)) : std::string();
        ::SendMessageA(list, CB_SETCURSEL,
                       static_cast<WPARAM>(::SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                          reinterpret_cast<LPARAM>(shown.c_str()))),
                       0);
        return;
    }
    const LRESULT selected = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (selected != CB_ERR)
        name = KeyboardLayoutName(selected == 0 ? KeyboardLayoutKind::Keypad : KeyboardLayoutKind::Full);
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
