// CkvRemoteDlg: construction, the initialisation order and the dispatch of messages and commands.
#include "ui/KvRemoteDlg.h"

#include "settings/SettingDefaults.h"
#include "station/SettingsFile.h"
#include "res/resource.h"
#include "ui/DialogHooks.h"
#include "winfx/WinApp.h"

#include <utility>

CkvRemoteDlg::CkvRemoteDlg(AppServices& services)
    : CDialog(IDD_KVREMOTE_DIALOG, nullptr), m_services(services),
      m_hIcon(LoadProgramIcon(IDR_MAINFRAME, IconSize::Large)),
      m_hSmallIcon(LoadProgramIcon(IDR_MAINFRAME, IconSize::Small)), m_capture(services.capture),
      m_core(m_members, services.devices, *this, services.connections, m_capture) {
    m_taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
}

CkvRemoteDlg::~CkvRemoteDlg() {
    m_services.capture.SetHeldChanged(nullptr);
}

bool CkvRemoteDlg::OnInitDialog() {
    // The controls of template 102 exist already; the members are not read yet, so the base's
    // exchange into the controls is not run here.
    AddSystemMenuItem();
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon.Get()));
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon.Get()));
    m_savedTitle = GetWindowTextA();

    LoadNetworkSettings(m_services.settings, m_members);

    m_services.capture.SetHeldChanged([this](bool held) { OnHeldChanged(held); });
    m_services.capture.StartCapture(reinterpret_cast<std::uintptr_t>(m_hWnd), m_services.settings);

    const int normalIconId = DriverPresent() ? IDR_MAINFRAME : IDI_NODRIVER;
    m_normalTrayIcon = LoadProgramIcon(normalIconId, IconSize::Small);
    m_animation = AnimationState(normalIconId);

    ReadDeviceClassSettings(DEVICE_CLASS_KEYBOARDS);
    ReadDeviceClassSettings(DEVICE_CLASS_MICE);
    CheckFileReleaseCommand();
    UpdateData(false);
    ShowRejectedReleaseCommand();

    if (!m_members.broadcastAddress.empty()) {
        m_linkFailedAtStart = !RestartLink();
        DisableSettingsControls();
    } else {
        EnableSettingsControls();
    }

    StartConnections();
    AddTrayIcon();
    RegisterDeviceNotifications();
    for (int frame = 0; frame < 4; ++frame)
        m_animationIcons[frame] = LoadProgramIcon(kAnimationIcons[frame], IconSize::Small);

    // The start-up splash. Its modal loop goes on delivering captured events to this window.
    m_inStartSplash = true;
    ShowAboutBox(this);
    m_inStartSplash = false;
    if (m_exitRequested || !m_hWnd)
        return false;
    // Opened from the message loop, once the window is shown or hidden as start-up wants.
    if (std::exchange(m_connectionsAsked, false))
        ::PostMessageA(m_hWnd, WM_COMMAND, ID_TRAY_CONNECTIONS, 0);
    AnnounceMovedDevices();
    if (std::exchange(m_notCapturingPending, false))
        TellNotCapturing();
    WarnOfLastNumbers();

    // The focus was placed by EnableSettingsControls, or is of no concern while hidden.
    return false;
}

void CkvRemoteDlg::ShowAfterStart() {
    if (!m_hWnd)
        return;
    if (m_members.broadcastAddress.empty() || m_editingAsked || m_linkFailedAtStart) {
        ShowForEditing();
        if (m_linkFailedAtStart)
            ReportLinkFailure();
    } else {
        ShowWindow(SW_HIDE);
    }
}

bool CkvRemoteDlg::OnCommand(int id, int code, HWND control) {
    // Menu items (and a posted command) arrive with code 0 and no control.
    switch (id) {
    case ID_TRAY_SETTINGS:
        ShowForEditing();
        return true;
    case ID_TRAY_ABOUT:
        ShowAboutBox(this);
        return true;
    case ID_TRAY_CMDLINE:
        ShowUsage();
        return true;
    case ID_TRAY_EXIT:
        OnExit();
        return true;
    case ID_TRAY_SIGNIN:
        ToggleSignIn();
        return true;
    case ID_TRAY_CONNECTIONS:
        OpenConnections();
        return true;
    default:
        break;
    }
    if (code != BN_CLICKED)
        return CDialog::OnCommand(id, code, control);
    switch (id) {
    case IDC_APPLY:
        ApplySettings();
        return true;
    case IDC_KEYB_USE_AUX:
        EnableItem(IDC_KEYB_SETUP, IsItemChecked(IDC_KEYB_USE_AUX));
        return true;
    case IDC_MOUSE_USE_AUX:
        EnableItem(IDC_MOUSE_SETUP, IsItemChecked(IDC_MOUSE_USE_AUX));
        return true;
    case IDC_KEYB_SETUP:
        OpenDevicesSetup(DEVICE_CLASS_KEYBOARDS);
        return true;
    case IDC_MOUSE_SETUP:
        OpenDevicesSetup(DEVICE_CLASS_MICE);
        return true;
    case IDC_KEYB_TEXTCMD_DEFAULT:
        SetItemText(IDC_KEYB_TEXTCMD, kDefaultKeyboardTextCmd);
        return true;
    case IDC_MOUSE_TEXTCMD_DEFAULT:
        SetItemText(IDC_MOUSE_TEXTCMD, kDefaultMouseTextCmd);
        return true;
    case IDC_BROADCAST_DEFAULT:
        DetectBroadcastAddress();
        return true;
    case IDC_CONNECTIONS:
        OpenConnections();
        return true;
    case IDC_PORT_DEFAULT:
        SetItemText(IDC_PORT, std::to_string(kDefaultPort));
        return true;
    case IDC_APPLICATION_ID_DEFAULT:
        SetItemText(IDC_APPLICATION_ID, kDefaultApplicationId);
        return true;
    default:
        return CDialog::OnCommand(id, code, control);
    }
}

void CkvRemoteDlg::OnTimer(UINT_PTR id) {
    if (id == TimerIdValue(MainTimer::Title))
        SetTitleText(m_savedTitle);
    else if (id == TimerIdValue(MainTimer::Animation))
        OnAnimationTick();
    else if (id == TimerIdValue(MainTimer::StallCheck))
        OnStallCheck();
    else if (id == TimerIdValue(MainTimer::DeviceReread))
        RereadDevices();
}

INT_PTR CkvRemoteDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    switch (message) {
    case WM_TRAY_NOTIFY:
        handled = true;
        return OnTrayNotify(static_cast<UINT>(lParam));
    case WM_LINK_NOTIFY:
        handled = true;
        return 0;
    case WM_CONNECTIONS_STATUS:
        OnConnectionsStatus();
        handled = true;
        return 0;
    case WM_AUX_INPUT:
        // Normally consumed by pre-translation. A system modal loop (a message box, the tray menu)
        // dispatches it instead; it is still a captured event and is sent.
        OnAuxInput(wParam, lParam);
        handled = true;
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == ID_SYSMENU_ABOUT) {
            ShowAboutBox(this);
            handled = true;
        }
        return 0;
    case WM_QUERYENDSESSION:
        // Nothing of ours needs the session to wait.
        handled = true;
        return TRUE;
    case WM_ENDSESSION:
        // May come inside a modal loop, and the process may end as soon as this returns: everything
        // that must not be left undone is done now, and nothing is destroyed.
        if (wParam)
            ShutDown();
        handled = true;
        return 0;
    case WM_DEVICECHANGE:
    case WM_POWERBROADCAST:
        handled = OnDeviceMessage(message, wParam, lParam);
        return TRUE;
    default:
        break;
    }
    if (message == m_taskbarCreated && m_taskbarCreated != 0) {
        // The taskbar was recreated: the icon comes back with the normal picture.
        SetTrayIcon(m_normalTrayIcon.Get());
        NotifyShell(NIM_ADD);
    }
    return 0;
}
