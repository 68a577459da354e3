#pragma once
// The Linux station: the settings file, the device table over the evdev driver, the grabs that
// follow them, and each captured event handed to the station core, as on Windows: its REMOTE line,
// the release line when a release command is set, the releases forced when a device goes, at a
// reload and at the stop; the Companion and MQTT connections the settings describe, their status
// lines in the log, and the keyboards' lock lights they set. Runs on the daemon's one thread (the
// network has a thread of its own, heard through NewsFd).
#include "settings/IniProfileStore.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "station/SettingsValues.h"
#include "capture/AuxInputSink.h"
#include "capture/CaptureLoop.h"
#include "capture/CaptureShared.h"
#include "capture/DeviceTable.h"
#include "linux/EvdevDriverLinux.h"
#include "linux/UdpLinkPosix.h"
#include "linux/NetworkShellPosix.h"
#include "station/KeyboardLights.h"
#include "station/RemoteSender.h"
#include "station/StationCapture.h"
#include "station/StationCore.h"
#include <array>
#include <string>
#include <vector>

// Before the driver opens the devices: the numbers the settings file saved for each id (the
// entries the registry reads, stopping where it stops), so each device takes its saved number.
void RememberSavedNumbers(const std::string& iniPath, EvdevDriverLinux& driver);

// The settings file as a terminal command reads it once, after the driver opened the devices:
// its values and each present device's index.
struct StationFileLinux {
    StationFileLinux(const std::string& iniPath, EvdevDriverLinux& driver);
    SettingNames names;
    IniProfileStore store;
    Settings settings;
    SettingsValues values;
    DeviceTable table;
};

class StationLinux : private AuxInputSink, private RemoteSenderHost, private StationCapture {
public:
    StationLinux(const std::string& iniPath, EvdevDriverLinux& driver, EvdevDriverLinux::Log log);

    // Reads the settings and places the devices present; opens the link and grabs the auxiliary
    // devices when a broadcast address is set.
    void Start();
    // SIGHUP: the settings file again, as at a start.
    void Reload();
    // The driver saw devices come or go: the table follows, and the grabs with it.
    void FollowDevices();
    // Ends every press still down, lets every device go and closes the link.
    void Stop();

    // Readable while the connections have news; OnNews takes it: status lines logged as they
    // change, lock lights written.
    int NewsFd() const { return connections_.NewsFd(); }
    void OnNews();

    // One pass of the capture loop; false once it ended by itself (its devices let go).
    bool Pass() { return loop_.Pass(); }

    const DeviceTable& Table() const { return table_; }
    const SettingsValues& Values() const { return values_; }

private:
    void Load();
    // The device is grabbed: the link is open, its class captured and it has an index.
    bool HeldNow(int device) const;
    void ApplyFilters();
    void LogRoles();
    // The lights of the index written to every keyboard that has it (device 0: every keyboard).
    void WriteLights(int index, int device = 0);

    // AuxInputSink: the capture loop's event, handled at once on this thread.
    void Post(std::uintptr_t target, std::uint32_t wParam, std::int32_t lParam) override;
    void OnAuxInput(std::uint32_t wParam, std::int32_t lParam);

    // RemoteSenderHost: a station has no window; only the line goes out.
    void SetLastCommandText(std::string_view) override {}
    bool IsMainWindowForeground() override { return true; }
    void FlashTitle(std::string_view) override {}
    void SendLine(std::string_view line) override { link_.Send(std::string(line)); }
    std::uint32_t TickCount() override;
    void StartAnimation(std::uint32_t) override {}

    // StationCapture: the capture loop runs on this thread from Start to Stop.
    bool Holds(int device) const override { return HeldNow(device); }
    bool Running() const override { return running_; }
    void SetReleaseReports(bool on) override;

    EvdevDriverLinux& driver_;
    EvdevDriverLinux::Log log_;
    SettingNames names_;
    IniProfileStore store_;
    Settings settings_;
    SettingsValues values_;
    DeviceTable table_;
    CaptureShared shared_;
    CaptureLoop loop_;
    UdpLinkPosix link_;
    NetworkHubPosix connections_;
    KeyboardLights lights_;
    std::vector<std::string> loggedStatus_; // the connections' status lines as last logged
    StationCore core_;
    bool running_ = false;
    std::array<int, kDeviceCount> loggedIndex_{};
};
