#pragma once
// CkvRemoteDlg: the program's one lasting window. The settings dialog (template 102) that lives
// hidden behind the tray icon, turns captured events into remote commands, keeps the network link
// and owns the tray icon, its menu and the activity timers.
#include "station/SettingsValues.h"
#include "base/WindowMessages.h"
#include "capture/DeviceRegistry.h"
#include "station/ControllerCapture.h"
#include "station/RemoteSender.h"
#include "station/StationCore.h"
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
    DeviceReread = 4100, // the devices are read again once notifications have been quiet a while,
                         // or kDeviceRereadLatestMs after the first of them
};
// How long device notifications must be quiet before the devices are read again: they come in bursts.
inline constexpr UINT kDeviceRereadMs = 500;
// The latest the devices are read again after the first notification of a burst, however many follow.
inline constexpr UINT kDeviceRereadLatestMs = 2000;
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
    // The shutdown sequence: ShutDown (capture, releases, the connections' goodbye, link, tray icon),
    // then the window and the quit message.
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
    // The file's release command is set aside when it fails its check; the field still shows it.
    void CheckFileReleaseCommand();
    void ShowRejectedReleaseCommand();
    void SetStatusLine(DeviceClass deviceClass);
    void ReportLinkFailure();

    // Network destinations.
    void StartConnections();
    // After the connections were (re)started: their exposure and the release reports follow.
    void FollowConnections();
    // WM_CONNECTIONS_STATUS: the balloon of a lost connection, the tooltip, an open dialog.
    void OnConnectionsStatus();
    // The tooltip's lines for the connections that are down.
    std::vector<std::string> ConnectionTipLines() const;
    // The releases still owed, then every connection's goodbye, within what is left of the exit's
    // bound since exitStarted.
    void SayGoodbye(DWORD exitStarted);

    // Capture's safety net.
    // The stall check runs exactly while some filter holds a device (told by the capture controller).
    void OnHeldChanged(bool held);
    void OnStallCheck();
    // Filters off after a setup dialog until the next Apply or OK: the tray tip says so.
    void SetNotCapturing(bool notCapturing);
    // The balloon that says so, as the settings window is hidden meanwhile; held back while the
    // start-up About box is up.
    void TellNotCapturing();
    // Once per class and run, a balloon when a device sits at the last number of its class.
    void WarnOfLastNumbers();
    // Everything that must happen before the process may end, once: capture stopped with what it
    // drained sent, releases sent, link closed, tray icon removed. No window is destroyed.
    void ShutDown();
    // The captured events still queued for this window, sent now in their order.
    void SendQueuedAuxInput();
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
    // The releases of the keys and buttons still down (of one device, or all for 0), sent now.
    void ForceReleases(int device = 0);
    bool ConnectionsOn() const;
    // The connections are told which (class, index) they show, when that changed.
    void UpdateExposure();
    ClassFlags WantedUseAux() const { return {m_wantedUseAux[0], m_wantedUseAux[1]}; }
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
    // What a click on the balloon shown last does.
    enum class BalloonClick { Nothing, OpenSettings, OpenSetup, OpenConnections };
    // A balloon from the tray icon; a click on it opens the setup of clickClass, if any.
    void ShowBalloon(const std::string& text, DeviceClass clickClass);
    void ShowBalloon(const std::string& text, BalloonClick click, DeviceClass setupClass = DEVICE_CLASS_NONE);
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
    BalloonClick m_balloonClick = BalloonClick::Nothing;
    DeviceClass m_balloonClass = DEVICE_CLASS_NONE;
    // The open Connections dialog, told of the connections' news.
    HWND m_connectionsWindow = nullptr;
    // Saved devices found at another number, until the setup dialog of their class is opened.
    std::vector<int> m_movedDevices;
    // What placing found while the start-up About box was up, announced once it has closed.
    DevicePlacement m_pendingPlacement;
    void* m_deviceNotifications[2] = {nullptr, nullptr}; // keyboards, mice
    // A re-read is scheduled; the tick of the first notification of its burst.
    bool m_rereadPending = false;
    DWORD m_rereadBurstStart = 0;
    // The open setup dialog, told when the devices change.
    HWND m_setupWindow = nullptr;
    // The "UseAux" flags as the file or the user wants them, before the forcing rule (keyboards, mice).
    bool m_wantedUseAux[2] = {false, false};

    // The live settings.
    SettingsValues m_members;
    // What each event becomes, the keys down and the devices the connections show.
    ControllerCapture m_capture;
    StationCore m_core;

    bool m_exitRequested = false;
    bool m_shutDown = false;
    // The filters are off after a setup dialog; the balloon saying so waits for the About box.
    bool m_notCapturing = false;
    bool m_notCapturingPending = false;
    bool m_lastNumberTold[2] = {false, false}; // keyboards, mice
    // While the start-up About box is up, a request for the settings waits for it to close.
    bool m_inStartSplash = false;
    bool m_editingAsked = false;
    bool m_connectionsAsked = false; // the Connections dialog, likewise
    bool m_linkFailedAtStart = false;
    bool m_driverLibraryToldOnce = false;
    // The file's release command when its check failed (not used), the message that says why, and
    // whether the settings window said so yet.
    std::string m_rejectedReleaseCmd;
    int m_releaseCmdProblem = 0;
    bool m_releaseCmdToldOnce = false;
};
