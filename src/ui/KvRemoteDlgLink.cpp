// CkvRemoteDlg, link and capture: restarting the network link with the driver filters, the
// broadcast-address proposal and the setup mode around the devices setup dialog.
#include "ui/KvRemoteDlg.h"

#include "remote/LinkAddress.h"
#include "res/resource.h"
#include "ui/DialogHooks.h"
#include "winfx/StringTable.h"
#include "winfx/Trace.h"

bool CkvRemoteDlg::RestartLink() {
    // Keys still down get their release on the link their press went out on.
    ForceReleases();
    m_core.FollowReleaseReports();
    m_services.capture.SetCaptureFilters(m_members.keyboards.useAux, m_members.mouses.useAux);
    SetNotCapturing(false);
    // A press taken between the release above and the filter change would otherwise stay down.
    ForceReleases();
    UpdateExposure();
    m_services.link.Close();
    // The check accepts groups with leading zeros ("010"), the link only the plain form.
    return m_services.link.Init(reinterpret_cast<std::uintptr_t>(m_hWnd), WM_LINK_NOTIFY,
                                CanonicalDottedAddress(m_members.broadcastAddress), m_members.port);
}

void CkvRemoteDlg::SetNotCapturing(bool notCapturing) {
    if (notCapturing == m_notCapturing)
        return;
    m_notCapturing = notCapturing;
    UpdateTrayTip();
    NotifyShell(NIM_MODIFY);
}

void CkvRemoteDlg::TellNotCapturing() {
    if (m_inStartSplash) {
        m_notCapturingPending = true;
        return;
    }
    ShowBalloon(LoadResourceString(IDS_NOT_CAPTURING), BalloonClick::OpenSettings);
}

void CkvRemoteDlg::ReportLinkFailure() {
    const std::string text = FormatText(LoadResourceString(IDS_LINK_FAILED),
                                        {m_members.broadcastAddress, std::to_string(m_members.port)});
    m_services.boxes.Show(m_hWnd, text, MB_OK | MB_ICONERROR);
}

void CkvRemoteDlg::DetectBroadcastAddress() {
    // Only the edit changes; the member and the file follow at the next Apply or OK.
    const std::string address =
        m_services.detectBroadcastAddress ? m_services.detectBroadcastAddress() : "127.255.255.255";
    SetItemText(IDC_BROADCAST_ADDRESS, address);
}

void CkvRemoteDlg::OpenDevicesSetup(DeviceClass deviceClass, bool saveOnOk) {
    CaptureController& capture = m_services.capture;
    // The slots show the devices present now; nothing is sent while the dialog is open.
    RereadDevices();
    ForceReleases();
    // The devices of this class that moved are looked after once their setup was opened.
    const auto moved = std::erase_if(m_movedDevices, [deviceClass](int device) {
        return device >= FirstDeviceOf(deviceClass) && device <= LastDeviceOf(deviceClass);
    });
    if (moved != 0) {
        UpdateTrayTip();
        NotifyShell(NIM_MODIFY);
    }
    // Filters of the class, then the target, then the flag: all once the dialog's window exists,
    // since captured strokes are posted to a window handle.
    const INT_PTR result = RunDevicesSetupDialog(
        this, deviceClass, m_services,
        [this, &capture, deviceClass](HWND setupWindow) {
            m_setupWindow = setupWindow;
            capture.EnterSetupMode(deviceClass, reinterpret_cast<std::uintptr_t>(setupWindow));
            ForceReleases();
        },
        saveOnOk);
    m_setupWindow = nullptr;
    if (result == -1)
        TraceLastError("DoModal of the devices setup dialog");
    // As after Cancel, whatever the result: flag cleared, this window the target again, both
    // filters 0 until the next Apply or OK.
    capture.LeaveSetupMode();
    ForceReleases();
    // Exit chosen under the dialog has taken capture away already.
    if (m_hWnd && capture.ThreadRunning())
        SetNotCapturing(true);
    UpdateExposure();
}

void CkvRemoteDlg::OnHeldChanged(bool held) {
    if (!m_hWnd)
        return;
    if (held)
        SetTimer(MainTimer::StallCheck, StallWatch::kCheckMs);
    else
        KillTimer(MainTimer::StallCheck);
}

void CkvRemoteDlg::OnStallCheck() {
    m_services.capture.FollowWindowsKeys();
    // A stall (the filters are being cleared aside) or a thread that gave up on a driver that kept
    // waking it for nothing: capture stays ended until the program restarts, and the check has
    // stopped with it.
    if (m_services.capture.CheckProgress(::GetTickCount()) == CaptureCheck::Running)
        return;
    ForceReleases();
    SetStatusLine(DEVICE_CLASS_KEYBOARDS);
    SetStatusLine(DEVICE_CLASS_MICE);
    ShowBalloon(LoadResourceString(IDS_CAPTURE_STALLED), DEVICE_CLASS_NONE);
}
