// CkvRemoteDlg, tray side: system-menu item, notification icon, its menu and the animation.
#include "ui/KvRemoteDlg.h"

#include "res/resource.h"
#include "winfx/StringTable.h"
#include "winfx/Trace.h"
#include "capture/PortLabels.h"
#include "ui/MovedDevicesText.h"
#include "ui/TrayTooltipText.h"
#include "winfx/TextFormat.h"
#include "winfx/WinApp.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// The record version that ends with the item GUID, as the shell expects from this program.
constexpr DWORD kNotifyIconDataSize = static_cast<DWORD>(offsetof(NOTIFYICONDATAA, guidItem) + sizeof(GUID));
#ifndef _WIN64
static_assert(kNotifyIconDataSize == 504);
#endif

} // namespace

void CkvRemoteDlg::AddSystemMenuItem() {
    const std::string text = LoadResourceString(IDS_ABOUTBOX);
    if (text.empty())
        return;
    if (HMENU menu = ::GetSystemMenu(m_hWnd, FALSE)) {
        ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(menu, MF_STRING, ID_SYSMENU_ABOUT, text.c_str());
    }
}

void CkvRemoteDlg::AddTrayIcon() {
    m_nid = {};
    m_nid.cbSize = kNotifyIconDataSize;
    m_nid.hWnd = m_hWnd;
    m_nid.uID = 1;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = WM_TRAY_NOTIFY;
    m_nid.hIcon = m_normalTrayIcon.Get();
    UpdateTrayTip();
    NotifyShell(NIM_ADD);
}

void CkvRemoteDlg::NotifyShell(DWORD message) {
    if (!::Shell_NotifyIconA(message, &m_nid))
        TraceLastError(message == NIM_ADD      ? "Shell_NotifyIconA(NIM_ADD)"
                       : message == NIM_MODIFY ? "Shell_NotifyIconA(NIM_MODIFY)"
                                               : "Shell_NotifyIconA(NIM_DELETE)");
    m_handedNid = m_nid;
    // A balloon is shown once: later changes of the icon must not raise it again.
    m_nid.uFlags &= ~NIF_INFO;
}

void CkvRemoteDlg::SetTrayIcon(HICON icon) {
    m_nid.hIcon = icon;
}

void CkvRemoteDlg::ShowBalloon(const std::string& text, DeviceClass clickClass) {
    ShowBalloon(text, clickClass == DEVICE_CLASS_NONE ? BalloonClick::Nothing : BalloonClick::OpenSetup,
                clickClass);
}

void CkvRemoteDlg::ShowBalloon(const std::string& text, BalloonClick click, DeviceClass setupClass) {
    m_nid.uFlags |= NIF_INFO;
    std::strncpy(m_nid.szInfo, text.c_str(), sizeof m_nid.szInfo - 1);
    m_nid.szInfo[sizeof m_nid.szInfo - 1] = '\0';
    std::strncpy(m_nid.szInfoTitle, WinFxAppTitle().c_str(), sizeof m_nid.szInfoTitle - 1);
    m_nid.dwInfoFlags = NIIF_WARNING;
    m_balloonClick = click;
    m_balloonClass = setupClass;
    NotifyShell(NIM_MODIFY);
}

void CkvRemoteDlg::OnBalloonClick() {
    if (m_balloonClick == BalloonClick::OpenConnections) {
        OpenConnections();
        return;
    }
    const DeviceClass deviceClass = m_balloonClass;
    if (m_balloonClick == BalloonClick::Nothing)
        return;
    ShowForEditing();
    if (m_balloonClick != BalloonClick::OpenSetup)
        return;
    // Under a modal window of ours that window only comes to the front; a second setup dialog
    // would run nested in it.
    if (::IsWindowEnabled(m_hWnd))
        OpenDevicesSetup(deviceClass, false);
}

std::vector<std::string> CkvRemoteDlg::DeviceNames(const std::vector<int>& devices) const {
    std::vector<std::string> names;
    for (const DeviceClass deviceClass : {DEVICE_CLASS_KEYBOARDS, DEVICE_CLASS_MICE}) {
        const auto labels = PortLabels(m_services.devices, deviceClass, StringTableTexts());
        for (const int device : devices)
            if (device >= FirstDeviceOf(deviceClass) && device <= LastDeviceOf(deviceClass))
                names.push_back(MovedDeviceName(labels[device], m_services.devices[device].hardwareId));
    }
    return names;
}

void CkvRemoteDlg::UpdateTrayTip() {
    const std::string first = LoadResourceString(m_notCapturing ? IDS_TRAY_TIP_NOT_CAPTURING : IDS_TRAY_TIP);
    const std::string tip = TrayTooltipText(first, DeviceNames(m_movedDevices), ConnectionTipLines());
    std::strncpy(m_nid.szTip, tip.c_str(), sizeof m_nid.szTip - 1);
    m_nid.szTip[sizeof m_nid.szTip - 1] = '\0';
}

void CkvRemoteDlg::AnnounceMovedDevices() {
    // What start-up found, with what re-reads found while the About box was up.
    DevicePlacement placement = m_services.capture.StartPlacement();
    AppendPlacement(placement, m_pendingPlacement);
    m_pendingPlacement = {};
    // Only what is still so: a device followed or moved may have gone meanwhile.
    std::erase_if(placement.followed, [this](int device) {
        return m_services.devices[device].index.load(std::memory_order_relaxed) < 0;
    });
    std::erase_if(placement.ambiguous, [this](int device) {
        return m_services.devices[device].hardwareId.empty() ||
               m_services.devices[device].index.load(std::memory_order_relaxed) >= 0;
    });
    AnnounceDevices(placement);
}

LRESULT CkvRemoteDlg::OnTrayNotify(UINT mouseMessage) {
    if (mouseMessage == WM_LBUTTONDBLCLK)
        ShowForEditing();
    else if (mouseMessage == WM_RBUTTONUP)
        ShowTrayMenu();
    else if (mouseMessage == NIN_BALLOONUSERCLICK)
        OnBalloonClick();
    return 0;
}

HMENU CkvRemoteDlg::LoadTrayMenu() const {
    HMENU menu = ::LoadMenuA(WinFxResourceInstance(), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    if (HMENU popup = menu ? ::GetSubMenu(menu, 0) : nullptr) {
        ::SetMenuDefaultItem(popup, ID_TRAY_SETTINGS, FALSE);
        ::CheckMenuItem(popup, ID_TRAY_SIGNIN,
                        MF_BYCOMMAND | (m_services.signIn.IsOn() ? MF_CHECKED : MF_UNCHECKED));
    }
    return menu;
}

void CkvRemoteDlg::ShowTrayMenu() {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    HMENU menu = LoadTrayMenu();
    if (!menu)
        return;
    if (HMENU popup = ::GetSubMenu(menu, 0)) {
        // A modal window of ours (the setup dialog, a box, the About box) that disables this one
        // goes back in front once the menu is gone. Asked first: taking the foreground for the
        // menu makes this window its own last active popup.
        HWND modal = ::IsWindowEnabled(m_hWnd) ? nullptr : ::GetLastActivePopup(m_hWnd);
        ::SetForegroundWindow(m_hWnd);
        ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, m_hWnd, nullptr);
        // Lets the menu close when the user clicks elsewhere.
        ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
        if (modal && modal != m_hWnd && ::IsWindow(modal))
            ::SetForegroundWindow(modal);
    }
    ::DestroyMenu(menu);
}

void CkvRemoteDlg::ToggleSignIn() {
    // Read again: the value may have changed since the menu was shown.
    if (!m_services.signIn.Set(!m_services.signIn.IsOn()))
        m_services.boxes.Show(m_hWnd, LoadResourceString(IDS_SIGNIN_FAILED), MB_OK | MB_ICONERROR);
}

void CkvRemoteDlg::ShowForEditing() {
    if (m_inStartSplash) {
        // Honoured when the start-up About box closes (ShowAfterStart).
        m_editingAsked = true;
        return;
    }
    // The status lines and the check boxes' enabling follow the devices present now.
    RereadDevices();
    SetStatusLine(DEVICE_CLASS_KEYBOARDS);
    SetStatusLine(DEVICE_CLASS_MICE);
    EnableSettingsControls();
    ShowWindow(SW_SHOW);
    // While a modal window of ours disables this one (the setup dialog, a box), that window stays
    // in front with the keyboard, as a click on this disabled window would leave it.
    ::SetForegroundWindow(::IsWindowEnabled(m_hWnd) ? m_hWnd : ::GetLastActivePopup(m_hWnd));
    // Without a usable driver library the first opening says why nothing is captured.
    if (!m_driverLibraryToldOnce && !m_services.driverLibraryMessage.empty()) {
        m_driverLibraryToldOnce = true;
        m_services.boxes.ShowUtf8(m_hWnd, m_services.driverLibraryMessage, MB_OK | MB_ICONWARNING);
    }
    // And why the file's release command is not used.
    if (!m_releaseCmdToldOnce && m_releaseCmdProblem != 0) {
        m_releaseCmdToldOnce = true;
        SelectItemText(IDC_KEYB_RELEASE_CMD);
        ShowError(m_releaseCmdProblem);
    }
}

void CkvRemoteDlg::ShowUsage() {
    m_services.boxes.Show(m_hWnd, LoadResourceString(IDS_USAGE), MB_OK | MB_ICONINFORMATION);
}

void CkvRemoteDlg::OnAnimationTick() {
    const AnimationState::TickResult tick = m_animation.Tick(::GetTickCount());
    if (tick.stopTimer)
        KillTimer(MainTimer::Animation);
    HICON icon = m_normalTrayIcon.Get();
    for (int frame = 0; frame < 4; ++frame)
        if (tick.iconId == kAnimationIcons[frame])
            icon = m_animationIcons[frame].Get();
    if (icon == m_nid.hIcon)
        return;
    SetTrayIcon(icon);
    NotifyShell(NIM_MODIFY);
}

void CkvRemoteDlg::WarnOfLastNumbers() {
    if (m_inStartSplash)
        return; // looked at again once the About box has closed
    for (const DeviceClass deviceClass : {DEVICE_CLASS_KEYBOARDS, DEVICE_CLASS_MICE}) {
        const bool mice = deviceClass == DEVICE_CLASS_MICE;
        // The driver gives each device that arrives the next number and never reuses one until
        // Windows restarts: a device at the last one means the next will get none.
        if (m_lastNumberTold[mice] || m_services.devices[LastDeviceOf(deviceClass)].hardwareId.empty())
            continue;
        m_lastNumberTold[mice] = true;
        ShowBalloon(FormatText(LoadResourceString(IDS_NO_MORE_DEVICE_NUMBERS), {mice ? "mice" : "keyboards"}),
                    BalloonClick::Nothing);
    }
}

void CkvRemoteDlg::SendQueuedAuxInput() {
    MSG msg;
    while (::PeekMessageA(&msg, m_hWnd, WM_AUX_INPUT, WM_AUX_INPUT, PM_REMOVE))
        OnAuxInput(msg.wParam, msg.lParam);
}

void CkvRemoteDlg::ShutDown() {
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_core.BeginStop();
    const DWORD started = ::GetTickCount();
    KillTimer(MainTimer::DeviceReread);
    UnregisterDeviceNotifications();
    // Capture first, so no press comes after the forced releases. What the thread posted up to its
    // end, the strokes it took from the driver at the stop included, goes out in order before them,
    // and all of it before the link closes.
    m_services.capture.StopCapture();
    SendQueuedAuxInput();
    SayGoodbye(started);
    KillTimer(MainTimer::Title);
    KillTimer(MainTimer::Animation);
    m_services.link.Close();
    NotifyShell(NIM_DELETE);
}

void CkvRemoteDlg::OnExit() {
    m_exitRequested = true;
    ShutDown();
    DestroyWindow();
    ::PostQuitMessage(0);
}
