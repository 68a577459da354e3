#include "ui/MqttGroup.h"

#include "settings/SecretProtectorWin32.h"
#include "connections/CertificateCheckWin32.h"
#include "res/resource.h"
#include "station/ConnectionsFromSettings.h"
#include "station/MqttSettingsCheck.h"
#include "ui/NamedChoiceExchange.h"
#include "winfx/DataExchange.h"
#include "winfx/StringTable.h"
#include "winfx/WideText.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <climits>
#include <windows.h>

namespace {

// The longest texts the fields take; the settings file keeps lines of 1,022 characters.
constexpr int kHostChars = 253;
constexpr int kAccountChars = 255;
constexpr int kTopicChars = 200;

const SecretProtectorWin32 kProtector;

int ControlOf(MqttField field) {
    switch (field) {
    case MqttField::Host:
        return IDC_MQTT_HOST;
    case MqttField::Port:
        return IDC_MQTT_PORT;
    case MqttField::Password:
        return IDC_MQTT_PASSWORD;
    case MqttField::Topic:
        return IDC_MQTT_TOPIC;
    case MqttField::KeepAlive:
        return IDC_MQTT_KEEP_ALIVE;
    case MqttField::DiscoveryPrefix:
        return IDC_MQTT_DISCOVERY_PREFIX;
    case MqttField::Triggers:
        return IDC_MQTT_TRIGGERS;
    case MqttField::DoubleMs:
        return IDC_MQTT_DOUBLE_MS;
    case MqttField::LongMs:
        return IDC_MQTT_LONG_MS;
    case MqttField::None:
        break;
    }
    return 0;
}

// The file's text in the wide form and back: the broker reads UTF-8.
std::string ToUtf8(std::string_view ansi) {
    return Utf8FromAnsi(ansi);
}

void ExchangeTriggers(CDataExchange* dx, std::string& name) {
    static constexpr MqttTriggers kChoices[] = {MqttTriggers::Keypad, MqttTriggers::Full, MqttTriggers::None};
    ExchangeNamedChoice(dx, IDC_MQTT_TRIGGERS, name, std::span<const MqttTriggers>(kChoices),
                        MqttTriggersName, ParseMqttTriggers);
}

} // namespace

void MqttGroup::Load(Settings& settings) {
    m_values = ReadMqttSettings(settings, &kProtector);
}

void MqttGroup::Exchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_MQTT_HOST, m_values.host, kHostChars);
    // Any integer here; Check says which range a port and a keep-alive must be in.
    DDX_Text(dx, IDC_MQTT_PORT, m_values.port, INT_MIN, INT_MAX);
    DDX_Text(dx, IDC_MQTT_USER, m_values.user, kAccountChars);
    DDX_Text(dx, IDC_MQTT_PASSWORD, m_values.password, kAccountChars);
    DDX_Text(dx, IDC_MQTT_TOPIC, m_values.topic, kTopicChars);
    DDX_Check(dx, IDC_MQTT_DISCOVERY, m_values.discovery);
    DDX_Text(dx, IDC_MQTT_KEEP_ALIVE, m_values.keepAliveSeconds, INT_MIN, INT_MAX);
    DDX_Text(dx, IDC_MQTT_DISCOVERY_PREFIX, m_values.discoveryPrefix, kTopicChars);
    ExchangeTriggers(dx, m_values.triggers);
    DDX_Text(dx, IDC_MQTT_DOUBLE_MS, m_values.doubleMs, INT_MIN, INT_MAX);
    DDX_Text(dx, IDC_MQTT_LONG_MS, m_values.longMs, INT_MIN, INT_MAX);
    DDX_Check(dx, IDC_MQTT_TLS, m_values.tls);
    DDX_Text(dx, IDC_MQTT_CA_FILE, m_values.caFile, MAX_PATH);
}

int MqttGroup::Check(MessageBoxes& boxes, HWND owner) {
    const MqttSettingsProblem problem = CheckMqttSettings(m_values, ToUtf8);
    if (problem.field != MqttField::None) {
        boxes.Show(owner, LoadResourceString(problem.messageId), MB_OK | MB_ICONERROR);
        return ControlOf(problem.field);
    }
    // The CA file is used only with TLS; then it must hold a certificate to trust.
    if (!m_values.tls || m_values.caFile.empty())
        return 0;
    CaFileWin32 ca;
    switch (ca.Load(m_values.caFile)) {
    case CaFileWin32::Problem::None:
        return 0;
    case CaFileWin32::Problem::Unreadable:
        boxes.Show(owner, StringTableTexts().Format(IDS_MQTT_CA_FILE_UNREADABLE, {m_values.caFile}),
                   MB_OK | MB_ICONERROR);
        break;
    case CaFileWin32::Problem::NoCertificate:
        boxes.Show(owner, StringTableTexts().Format(IDS_MQTT_CA_FILE_NO_CERTIFICATE, {m_values.caFile}),
                   MB_OK | MB_ICONERROR);
        break;
    }
    return IDC_MQTT_CA_FILE;
}

bool MqttGroup::Save(Settings& settings) {
    return WriteMqttSettings(settings, m_values, &kProtector);
}

int MqttGroup::StatusControlId() const {
    return IDC_MQTT_STATUS;
}

HubConnection MqttGroup::Connection(const std::string& station) const {
    // The file is ANSI; the broker reads UTF-8.
    return MqttConnection(m_values, station, ToUtf8);
}

void MqttGroup::OnShown(HWND dialog) {
    // A password protected on another PC cannot be read here: the empty field says to type it again.
    if (m_values.passwordUnreadable)
        ::SendDlgItemMessageW(
            dialog, IDC_MQTT_PASSWORD, EM_SETCUEBANNER, TRUE,
            reinterpret_cast<LPARAM>(WideFromAnsi(LoadResourceString(IDS_MQTT_PASSWORD_ELSEWHERE)).c_str()));
}

bool MqttGroup::OnCommand(HWND dialog, int id, int code) {
    if (id == IDC_MQTT_TLS && code == BN_CLICKED) {
        // The port follows TLS while it is the other one's default.
        const bool on = ::IsDlgButtonChecked(dialog, IDC_MQTT_TLS) == BST_CHECKED;
        const UINT port = ::GetDlgItemInt(dialog, IDC_MQTT_PORT, nullptr, FALSE);
        if (port == static_cast<UINT>(on ? kDefaultMqttPort : kDefaultMqttTlsPort))
            ::SetDlgItemInt(dialog, IDC_MQTT_PORT, on ? kDefaultMqttTlsPort : kDefaultMqttPort, FALSE);
        return true;
    }
    if (id != IDC_MQTT_CA_BROWSE || code != BN_CLICKED)
        return false;
    char path[MAX_PATH] = {};
    ::GetDlgItemTextA(dialog, IDC_MQTT_CA_FILE, path, MAX_PATH);
    const std::string title = LoadResourceString(IDS_MQTT_CA_FILE_TITLE);
    // "Certificates (*.pem;*.crt;*.cer)", then every file, as pairs of texts ended by two nulls.
    std::string filter = LoadResourceString(IDS_MQTT_CA_FILE_FILTER);
    std::replace(filter.begin(), filter.end(), '|', '\0');
    filter.push_back('\0');
    OPENFILENAMEA open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = dialog;
    open.lpstrFilter = filter.c_str();
    open.lpstrFile = path;
    open.nMaxFile = MAX_PATH;
    open.lpstrTitle = title.c_str();
    open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (::GetOpenFileNameA(&open))
        ::SetDlgItemTextA(dialog, IDC_MQTT_CA_FILE, path);
    return true;
}
