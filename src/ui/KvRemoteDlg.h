#pragma once
// CkvRemoteDlg: the program's one lasting window. The settings dialog (template 102) that lives
// hidden behind the tray icon, turns captured events into remote commands, keeps the network link
// and owns the tray icon, its menu and the activity timers.
#include "app/SettingsValues.h"
#include "app/WindowMessages.h"
#include "capture/DeviceRegistry.h"
#include "remote/KeyReleases.h"
#include "remote/RemoteSender.h"
#include "ui/AppServices.h"
#include "ui/SettingsControlsEnabling.h"
#include "ui/SettingsValidation.h"
#include "ui/TrayAnimation.h"
#include "winfx/Dialog.h"
#include "winfx/ProgramIcon.h"

#include <shellapi.h>

#include <string>
#include <vector>

// Timers of the main window.
enum class MainTimer : UINT_PTR {
    Title = 4097,        // puts the saved title back; restarted by every command
    Animation = 4098,    // the tray animation's frames
    StallCheck = 4099,   // the capture stall check, twice a second while a driver filter is set
    DeviceReread = 4100, // the devices are read again once notifications have been quiet a while
};
// How long device notifications must be quiet before the devices are read again: they come in bursts.
inline constexpr UINT kDeviceRereadMs = 500;
// How long the title shows the latest command while the window is not in front.
inline constexpr UINT kTitleCommandMs = 1000;

class CkvRemoteDlg : public CDialog, private RemoteSenderHost, private SettingsPrompts {
public:
    explicit CkvRemoteDlg(AppServices& services);
    ~CkvRemoteDlg() override;

    // Message pre-translation: WM_AUX_INPUT for this window becomes a remote command.
    bool PreTranslateMessage(MSG* msg) override;

    // What Apply and the first step of OK report.
    enum class ApplyResult {
        Applied,    // written and link restarted
        SaveFailed, // link restarted, but a write failed (the user was told)
        LinkFailed, // written, but the link could not be opened (the user was told)
        Invalid,    // a check failed; nothing written, link unchanged
    };
    ApplyResult ApplySettings();
    void LoadSettings();
    // Sets the capture filters and reopens the link; false when the link could not be opened.
    bool RestartLink();
    // Once the start-up About box has closed: the window opens for editing when no address is
    // saved, when the link could not be opened (the user is told why) or when the user asked for
    // the settings meanwhile; otherwise the program stays in the tray.
    void ShowAfterStart();
    void EnableSettingsControls();
    void DisableSettingsControls();
    void ShowForEditing();
    void DetectBroadcastAddress();
    // saveOnOk false: the setup dialog's OK only changes the device table, and the file follows at
    // the settings window's OK.
    void OpenDevicesSetup(DeviceClass deviceClass, bool saveOnOk = true);
    // The shutdown sequence: title timer, capture, releases, the connections' goodbye, link, tray
    // icon, window, quit message.
    void OnExit();
    // The Connections dialog, modally; under a modal window of ours that window comes to the front.
    void OpenConnections();

    const SettingsValues& Members() const { return m_members; }
    bool ExitRequested() const { return m_exitRequested; }
    // The notification icon record as last handed to the shell.
    const NOTIFYICONDATAA& TrayIconData() const { return m_handedNid; }
    // The tray menu as it is shown: Settings... the default item, the sign-in item's check mark as
    // the Run value is now. The caller destroys it; nullptr when it cannot be loaded.
    HMENU LoadTrayMenu() const;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnTimer(UINT_PTR id) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    // Settings side.
    void ReadDeviceClassSettings(DeviceClass deviceClass);
    bool DriverPresent() const;
    // What the enabling of the settings controls depends on, with these use-auxiliary flags.
    SettingsEnableInputs EnableInputs(bool useAuxKeyboards, bool useAuxMice) const;
    int DevicesFound(DeviceClass deviceClass) const;
    ApplyResult FailApply(int controlId);
    void SetStatusLine(DeviceClass deviceClass);
    void ReportLinkFailure();

    // Network destinations.
    void StartConnections();
    // WM_CONNECTIONS_STATUS: the balloon of a lost connection, the tooltip, an open dialog.
    void OnConnectionsStatus();
    // The tooltip's lines for the connections that are down.
    std::vector<std::string> ConnectionTipLines() const;
    // Every connection's goodbye, within what is left of the exit's bound since exitStarted.
    void SayGoodbye(DWORD exitStarted);

    // Capture's safety net.
    void UpdateStallCheckTimer();
    void OnStallCheck();
    void AnnounceMovedDevices();
    std::vector<std::string> DeviceNames(const std::vector<int>& devices) const;
    void UpdateTrayTip();

    // Devices that come and go.
    void RegisterDeviceNotifications();
    void UnregisterDeviceNotifications();
    // A notification that devices may have changed: the re-read waits for the burst to end.
    void ScheduleDeviceReread();
    // Reads the devices again now and lets the table, the filters, the forcing rule, the status
    // lines, an open setup dialog and the tray follow.
    void RereadDevices();
    // WM_DEVICECHANGE and WM_POWERBROADCAST; true when the message was one of them.
    bool OnDeviceMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The forcing rule over the wanted flags, after the devices present changed.
    void FollowForcingRule();
    // Balloons for what placing the saved devices found; held back while the start-up About box is up.
    void AnnounceDevices(const DevicePlacement& placement);
    bool Editing() const;

    // Sending.
    void OnAuxInput(WPARAM wParam, LPARAM lParam);
    // The release lines of the keys still down (of one device, or all for 0), sent now.
    void ForceReleases(int device = 0);
    void SetLastCommandText(std::string_view command) override;
    bool IsMainWindowForeground() override;
    void FlashTitle(std::string_view command) override;
    void SendLine(std::string_view line) override;
    uint32_t TickCount() override;
    void StartAnimation(uint32_t now) override;
    // Texts are set only when they change: setting one costs a redraw and, for the title, a call
    // to the window system.
    void SetTitleText(std::string_view title);

    // Message boxes of the settings checks.
    void ShowError(int messageId) override;
    bool AskYesNo(int messageId, std::string_view argument) override;

    // Tray side.
    void AddSystemMenuItem();
    void AddTrayIcon();
    void SetTrayIcon(HICON icon);
    // Shell_NotifyIconA with the tray record; a refusal is traced.
    void NotifyShell(DWORD message);
    // A balloon from the tray icon; a click on it opens the setup of clickClass, if any.
    void ShowBalloon(const std::string& text, DeviceClass clickClass);
    void OnBalloonClick();
    LRESULT OnTrayNotify(UINT mouseMessage);
    void ShowTrayMenu();
    void ToggleSignIn();
    void OnAnimationTick();
    void ShowUsage();

    AppServices& m_services;

    // Tray and window side, in declaration order.
    // Icon 128 at the large and the small icon size; the tray icons at the small size.
    ScopedIcon m_hIcon;
    ScopedIcon m_hSmallIcon;
    std::string m_savedTitle;
    NOTIFYICONDATAA m_nid{};
    UINT m_taskbarCreated = 0;
    ScopedIcon m_normalTrayIcon;
    ScopedIcon m_animationIcons[4];
    AnimationState m_animation{0}; // given the normal tray icon at initialisation
    NOTIFYICONDATAA m_handedNid{}; // m_nid as last handed to the shell
    DeviceClass m_balloonClass = DEVICE_CLASS_NONE;
    bool m_balloonConnections = false; // a click on the balloon opens the Connections dialog
    // The open Connections dialog, told of the connections' news.
    HWND m_connectionsWindow = nullptr;
    // Saved devices found at another number, until the setup dialog of their class is opened.
    std::vector<int> m_movedDevices;
    // What placing found while the start-up About box was up, announced once it has closed.
    DevicePlacement m_pendingPlacement;
    void* m_deviceNotifications[2] = {nullptr, nullptr}; // keyboards, mice
    // The open setup dialog, told when the devices change.
    HWND m_setupWindow = nullptr;
    // The "UseAux" flags as the file or the user wants them, before the forcing rule (keyboards, mice).
    bool m_wantedUseAux[2] = {false, false};

    // The live settings.
    SettingsValues m_members;
    // Auxiliary keys whose press went out, waiting for their release line.
    KeyReleases m_releases;

    bool m_exitRequested = false;
    // While the start-up About box is up, a request for the settings waits for it to close.
    bool m_inStartSplash = false;
    bool m_editingAsked = false;
    bool m_linkFailedAtStart = false;
    bool m_driverLibraryToldOnce = false;
};
