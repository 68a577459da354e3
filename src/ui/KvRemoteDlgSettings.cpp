// CkvRemoteDlg, settings side: data exchange, checks, Apply/OK/Cancel, the status lines and the
// enabling of the controls.
#include "ui/KvRemoteDlg.h"

#include "station/SettingsFile.h"
#include "capture/DeviceRegistry.h"
#include "res/resource.h"
#include "ui/SettingsControlsEnabling.h"
#include "winfx/DataExchange.h"
#include "winfx/StringTable.h"

namespace {

DeviceClassSettings& ClassValues(SettingsValues& values, DeviceClass deviceClass) {
    return deviceClass == DEVICE_CLASS_MICE ? values.mouses : values.keyboards;
}

} // namespace

void CkvRemoteDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Check(dx, IDC_KEYB_USE_AUX, m_members.keyboards.useAux);
    DDX_Text(dx, IDC_KEYB_TEXTCMD, m_members.keyboards.textCmd, 12);
    DDX_Text(dx, IDC_KEYB_RELEASE_CMD, m_members.keyboards.releaseTextCmd, 12);
    DDX_Text(dx, IDC_KEYB_MAIN_INDEX, m_members.keyboards.mainIndex, 0, 255);
    DDX_Check(dx, IDC_MOUSE_USE_AUX, m_members.mouses.useAux);
    DDX_Text(dx, IDC_MOUSE_TEXTCMD, m_members.mouses.textCmd, 12);
    DDX_Text(dx, IDC_MOUSE_MAIN_INDEX, m_members.mouses.mainIndex, 0, 255);
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
    if (DriverPresent() && m_services.capture.CaptureStopped())
        text = LoadResourceString(IDS_STATUS_CAPTURE_STOPPED);
    else if (m_services.capture.StartFailed())
        text = LoadResourceString(IDS_CAPTURE_NOT_STARTED);
    else if (DriverPresent())
        text = FormatText(LoadResourceString(mice ? IDS_STATUS_MICE_FOUND : IDS_STATUS_KEYBOARDS_FOUND),
                          {std::to_string(DevicesFound(deviceClass))});
    else
        text = LoadResourceString(mice ? IDS_STATUS_MICE_NODRIVER : IDS_STATUS_KEYBOARDS_NODRIVER);
    SetItemText(mice ? IDC_MOUSE_STATUS : IDC_KEYB_STATUS, text);
}

void CkvRemoteDlg::ReadDeviceClassSettings(DeviceClass deviceClass) {
    LoadDeviceClassSettings(m_services.settings, deviceClass, ClassValues(m_members, deviceClass));
    m_wantedUseAux[deviceClass == DEVICE_CLASS_MICE ? 1 : 0] = ClassValues(m_members, deviceClass).useAux;
    // The forcing rule of this one class: the other class's flag is kept as it is.
    SettingsValues forced = m_members;
    ForceUseAux(forced, DriverPresent(), DevicesFound(DEVICE_CLASS_KEYBOARDS),
                DevicesFound(DEVICE_CLASS_MICE));
    ClassValues(m_members, deviceClass).useAux = ClassValues(forced, deviceClass).useAux;
    SetStatusLine(deviceClass);
}

void CkvRemoteDlg::LoadSettings() {
    SettingsValues values;
    ::LoadSettings(m_services.settings, values);
    m_wantedUseAux[0] = values.keyboards.useAux;
    m_wantedUseAux[1] = values.mouses.useAux;
    ForceUseAux(values, DriverPresent(), DevicesFound(DEVICE_CLASS_KEYBOARDS),
                DevicesFound(DEVICE_CLASS_MICE));
    m_members = values;
    CheckFileReleaseCommand();
    UpdateData(false);
    ShowRejectedReleaseCommand();
}

void CkvRemoteDlg::CheckFileReleaseCommand() {
    // A release command from a hand-edited file is checked as Apply checks it; one that fails is not
    // used, and the field keeps it for the user to mend.
    m_rejectedReleaseCmd.clear();
    m_releaseCmdProblem = ReleaseCommandProblem(m_members);
    if (m_releaseCmdProblem != 0) {
        m_rejectedReleaseCmd = m_members.keyboards.releaseTextCmd;
        m_members.keyboards.releaseTextCmd.clear();
    }
}

void CkvRemoteDlg::ShowRejectedReleaseCommand() {
    if (m_releaseCmdProblem != 0)
        SetItemText(IDC_KEYB_RELEASE_CMD, m_rejectedReleaseCmd);
}

CkvRemoteDlg::ApplyResult CkvRemoteDlg::FailApply(int controlId) {
    UpdateData(false);
    SelectItemText(controlId);
    return ApplyResult::Invalid;
}

CkvRemoteDlg::ApplyResult CkvRemoteDlg::ApplySettings() {
    // Every Apply and OK lets go of the keys still down, whatever follows.
    ForceReleases();
    if (!UpdateData(true))
        return FailApply(IDC_BROADCAST_ADDRESS);
    if (const int controlId = ::ValidateSettings(m_members, *this); controlId != 0)
        return FailApply(controlId);
    // A flag the forcing rule holds off (its check box disabled) stays wanted in memory: the class
    // comes back on when its devices are there again. The file gets the flag as it is now.
    SettingsValues open = m_members;
    open.keyboards.useAux = open.mouses.useAux = true;
    ForceUseAux(open, DriverPresent(), DevicesFound(DEVICE_CLASS_KEYBOARDS), DevicesFound(DEVICE_CLASS_MICE));
    if (open.keyboards.useAux)
        m_wantedUseAux[0] = m_members.keyboards.useAux;
    if (open.mouses.useAux)
        m_wantedUseAux[1] = m_members.mouses.useAux;

    // Without the driver the device table was never read from the file; writing it back would
    // only erase the saved device lists, so they are left as they are.
    SaveDevicesHook saveDevices;
    if (DriverPresent())
        saveDevices = [this](Settings& settings, DeviceClass deviceClass) {
            return SaveDevices(m_services.devices, deviceClass, settings);
        };
    const SaveReport report = SaveSettings(m_services.settings, m_members, saveDevices);
    const bool linked = RestartLink();
    if (!report.Ok())
        m_services.boxes.Show(m_hWnd, FormatText(LoadResourceString(IDS_SAVE_FAILED), {m_services.iniPath}),
                              MB_OK | MB_ICONERROR);
    if (!linked)
        ReportLinkFailure();
    if (!report.Ok())
        return ApplyResult::SaveFailed;
    return linked ? ApplyResult::Applied : ApplyResult::LinkFailed;
}

void CkvRemoteDlg::OnOK() {
    // A failed save or link keeps the window open: the user learns the settings live in memory
    // only, or that nothing is sent until they are corrected.
    if (ApplySettings() != ApplyResult::Applied)
        return;
    DisableSettingsControls();
    ShowWindow(SW_HIDE);
}

void CkvRemoteDlg::OnCancel() {
    LoadSettings();
    DisableSettingsControls();
    ShowWindow(SW_HIDE);
    // Cancel, Escape and the close box: after a setup dialog the filters stay off, so the user is
    // told that the auxiliary devices now type into other programs.
    if (m_notCapturing)
        TellNotCapturing();
}

SettingsEnableInputs CkvRemoteDlg::EnableInputs(bool useAuxKeyboards, bool useAuxMice) const {
    SettingsEnableInputs inputs;
    inputs.driverPresent = DriverPresent();
    inputs.keyboardsFound = DevicesFound(DEVICE_CLASS_KEYBOARDS);
    inputs.miceFound = DevicesFound(DEVICE_CLASS_MICE);
    inputs.useAuxKeyboards = useAuxKeyboards;
    inputs.useAuxMice = useAuxMice;
    return inputs;
}

void CkvRemoteDlg::EnableSettingsControls() {
    const SettingsEnableInputs inputs = EnableInputs(m_members.keyboards.useAux, m_members.mouses.useAux);
    for (const ControlEnable& item : ::EnableSettingsControls(inputs)) {
        // "Last command sent" is emptied right after the network controls.
        if (item.controlId == IDC_KEYB_USE_AUX)
            SetLastCommandText("");
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
    m_services.boxes.Show(m_hWnd, LoadResourceString(static_cast<UINT>(messageId)), MB_OK | MB_ICONERROR);
}

bool CkvRemoteDlg::AskYesNo(int messageId, std::string_view argument) {
    const std::string text = FormatText(LoadResourceString(static_cast<UINT>(messageId)), {argument});
    return m_services.boxes.Show(m_hWnd, text, MB_YESNO | MB_ICONQUESTION) == IDYES;
}
