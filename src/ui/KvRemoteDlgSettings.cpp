// CkvRemoteDlg, settings side: data exchange, checks, Apply/OK/Cancel, the status lines and the
// enabling of the controls.
#include "ui/KvRemoteDlg.h"

#include "app/SettingsFile.h"
#include "capture/DeviceRegistry.h"
#include "resource.h"
#include "ui/SettingsControlsEnabling.h"
#include "winfx/DataExchange.h"

#include <cstdio>

namespace {

DeviceClassSettings& ClassValues(SettingsValues& values, DeviceClass deviceClass) {
    return deviceClass == DEVICE_CLASS_MICE ? values.mouses : values.keyboards;
}

SettingsValues ToValues(const SettingsMembers& m) {
    SettingsValues v;
    v.broadcastAddress = m.broadcastAddress;
    v.port = m.port;
    v.applicationId = m.applicationId;
    v.destination = m.destination;
    v.keyboards = {m.useAuxKeyboards, m.keyboardMainIndex, m.keyboardTextCmd};
    v.mouses = {m.useAuxMice, m.mouseMainIndex, m.mouseTextCmd};
    return v;
}

void FromValues(const SettingsValues& v, SettingsMembers& m) {
    m.broadcastAddress = v.broadcastAddress;
    m.port = v.port;
    m.applicationId = v.applicationId;
    m.destination = v.destination;
    m.useAuxKeyboards = v.keyboards.useAux;
    m.keyboardMainIndex = v.keyboards.mainIndex;
    m.keyboardTextCmd = v.keyboards.textCmd;
    m.useAuxMice = v.mouses.useAux;
    m.mouseMainIndex = v.mouses.mainIndex;
    m.mouseTextCmd = v.mouses.textCmd;
}

// printf-style formatting of a string-table pattern with one argument.
template <typename T>
std::string FormatText(const std::string& pattern, T arg) {
    const int size = std::snprintf(nullptr, 0, pattern.c_str(), arg);
    if (size <= 0)
        return pattern;
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), pattern.c_str(), arg);
    text.resize(static_cast<std::size_t>(size));
    return text;
}

} // namespace

void CkvRemoteDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Check(dx, IDC_KEYB_USE_AUX, m_members.useAuxKeyboards);
    DDX_Text(dx, IDC_KEYB_TEXTCMD, m_members.keyboardTextCmd, 12);
    DDX_Text(dx, IDC_KEYB_MAIN_INDEX, m_members.keyboardMainIndex, 0, 255);
    DDX_Check(dx, IDC_MOUSE_USE_AUX, m_members.useAuxMice);
    DDX_Text(dx, IDC_MOUSE_TEXTCMD, m_members.mouseTextCmd, 12);
    DDX_Text(dx, IDC_MOUSE_MAIN_INDEX, m_members.mouseMainIndex, 0, 255);
    DDX_Text(dx, IDC_BROADCAST_ADDRESS, m_members.broadcastAddress, 15);
    DDX_Text(dx, IDC_PORT, m_members.port, 1, 65535);
    DDX_Text(dx, IDC_APPLICATION_ID, m_members.applicationId, 12);
    DDX_Text(dx, IDC_DESTINATION, m_members.destination, 13);
}

bool CkvRemoteDlg::DriverPresent() const {
    return m_services.capture.HasContext();
}

int CkvRemoteDlg::DevicesFound(DeviceClass deviceClass) const {
    return CountPresentDevices(m_services.devices, deviceClass);
}

void CkvRemoteDlg::SetStatusLine(DeviceClass deviceClass) {
    const bool mice = deviceClass == DEVICE_CLASS_MICE;
    std::string text;
    if (DriverPresent())
        text = FormatText(LoadResourceText(mice ? IDS_STATUS_MICE_FOUND : IDS_STATUS_KEYBOARDS_FOUND),
                          DevicesFound(deviceClass));
    else
        text = LoadResourceText(mice ? IDS_STATUS_MICE_NODRIVER : IDS_STATUS_KEYBOARDS_NODRIVER);
    SetItemText(mice ? IDC_MOUSE_STATUS : IDC_KEYB_STATUS, text);
}

void CkvRemoteDlg::ReadDeviceClassSettings(DeviceClass deviceClass) {
    SettingsValues values = ToValues(m_members);
    LoadDeviceClassSettings(m_services.settings, deviceClass, ClassValues(values, deviceClass));
    // The forcing rule of this one class: the other class's flag is kept as it is.
    SettingsValues forced = values;
    ForceUseAux(forced, DriverPresent(), DevicesFound(DEVICE_CLASS_KEYBOARDS),
                DevicesFound(DEVICE_CLASS_MICE));
    ClassValues(values, deviceClass).useAux = ClassValues(forced, deviceClass).useAux;
    FromValues(values, m_members);
    SetStatusLine(deviceClass);
}

void CkvRemoteDlg::LoadSettings() {
    SettingsValues values;
    ::LoadSettings(m_services.settings, values);
    ForceUseAux(values, DriverPresent(), DevicesFound(DEVICE_CLASS_KEYBOARDS),
                DevicesFound(DEVICE_CLASS_MICE));
    FromValues(values, m_members);
    UpdateData(false);
}

CkvRemoteDlg::ApplyResult CkvRemoteDlg::FailApply(int controlId) {
    UpdateData(false);
    SelectItemText(controlId);
    return ApplyResult::Invalid;
}

CkvRemoteDlg::ApplyResult CkvRemoteDlg::ApplySettings() {
    if (!UpdateData(true))
        return FailApply(IDC_BROADCAST_ADDRESS);
    if (const int controlId = ::ValidateSettings(m_members, *this); controlId != 0)
        return FailApply(controlId);

    // Without the driver the device table was never read from the file; writing it back would
    // only erase the saved device lists, so they are left as they are.
    SaveDevicesHook saveDevices;
    if (DriverPresent())
        saveDevices = [this](Settings& settings, DeviceClass deviceClass) {
            return SaveDevices(m_services.devices, deviceClass, settings);
        };
    const SaveReport report = SaveSettings(m_services.settings, ToValues(m_members), saveDevices);
    RestartLink();
    if (!report.Ok()) {
        m_services.boxes.Show(m_hWnd,
                              FormatText(LoadResourceText(IDS_SAVE_FAILED), m_services.iniPath.c_str()),
                              MB_OK | MB_ICONERROR);
        return ApplyResult::SaveFailed;
    }
    return ApplyResult::Applied;
}

void CkvRemoteDlg::OnOK() {
    // A failed save keeps the window open: the user learns the settings live in memory only.
    if (ApplySettings() != ApplyResult::Applied)
        return;
    DisableSettingsControls();
    ShowWindow(SW_HIDE);
}

void CkvRemoteDlg::OnCancel() {
    LoadSettings();
    DisableSettingsControls();
    ShowWindow(SW_HIDE);
}

void CkvRemoteDlg::EnableSettingsControls() {
    SettingsEnableInputs inputs;
    inputs.driverPresent = DriverPresent();
    inputs.keyboardsFound = DevicesFound(DEVICE_CLASS_KEYBOARDS);
    inputs.miceFound = DevicesFound(DEVICE_CLASS_MICE);
    inputs.useAuxKeyboards = m_members.useAuxKeyboards;
    inputs.useAuxMice = m_members.useAuxMice;
    for (const ControlEnable& item : ::EnableSettingsControls(inputs)) {
        // "Last command sent" is emptied right after the network controls.
        if (item.controlId == IDC_KEYB_USE_AUX)
            SetItemText(IDC_LAST_COMMAND, "");
        EnableItem(item.controlId, item.enabled);
    }
    // Not while a modal window of ours disables this one: the focus is that window's.
    if (::IsWindowEnabled(m_hWnd))
        SelectItemText(IDC_BROADCAST_ADDRESS);
}

void CkvRemoteDlg::DisableSettingsControls() {
    for (const ControlEnable& item : ::DisableSettingsControls())
        EnableItem(item.controlId, item.enabled);
}

void CkvRemoteDlg::ShowError(int messageId) {
    m_services.boxes.Show(m_hWnd, LoadResourceText(static_cast<UINT>(messageId)), MB_OK | MB_ICONERROR);
}

bool CkvRemoteDlg::AskYesNo(const std::string& text) {
    return m_services.boxes.Show(m_hWnd, text, MB_YESNO | MB_ICONQUESTION) == IDYES;
}
