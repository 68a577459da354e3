#include "linux/StationLinux.h"
#include "linux/TextsLinux.h"
#include "base/LeadingDecimal.h"
#include "settings/SettingIds.h"
#include "station/ConnectionsFromSettings.h"
#include "station/SettingsFile.h"
#include "capture/AuxInputMessage.h"
#include "capture/DeviceFilters.h"
#include "capture/DeviceRegistry.h"
#include "capture/HardwareIdText.h"
#include "capture/KeypadZeroGate.h"
#include "capture/ScanCodeMap.h"
#include "remote/LinkAddress.h"
#include <thread>
#include <unistd.h>

namespace {

void PauseAMillisecond() {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

const char* ClassName(int device) {
    return IsMouseNumber(device) ? "mouse" : "keyboard";
}

std::string HostName() {
    char name[256] = {};
    return gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

// How long the stop waits at most for the connections' goodbye.
constexpr MonoMs kStopBoundMs = 2000;

} // namespace

StationFileLinux::StationFileLinux(const std::string& iniPath, EvdevDriverLinux& driver)
    : store(iniPath), settings(store, names) {
    names.Fill();
    LoadSettings(settings, values, [&] {
        LoadDevices(table, EvdevDriverLinux::Api(), driver.Context(), settings, NarrowLatin1);
    });
}

void RememberSavedNumbers(const std::string& iniPath, EvdevDriverLinux& driver) {
    SettingNames names;
    names.Fill();
    IniProfileStore store(iniPath);
    Settings settings(store, names);
    for (const int section : {SECTION_KEYBOARDS, SECTION_MOUSES}) {
        for (int n = 1; n <= 10; ++n) {
            const std::string number = settings.ReadKey(section, "Device" + std::to_string(n), "");
            const std::string id = settings.ReadKey(section, "HarwareId" + std::to_string(n), "");
            if (number.empty() || id.empty())
                break;
            driver.RememberNumber(ParseLeadingDecimal(number), id);
        }
    }
}

StationLinux::StationLinux(const std::string& iniPath, EvdevDriverLinux& driver, EvdevDriverLinux::Log log)
    : driver_(driver), log_(std::move(log)), store_(iniPath), settings_(store_, names_),
      loop_(EvdevDriverLinux::Api(), shared_, table_, *this, UsScanCodeToVirtualKey, SteadyTickCount,
            PauseAMillisecond),
      connections_(NetworkTimes{}, {}, [log = log_](std::string_view line) { log(std::string(line)); }),
      core_(values_, table_, *this, connections_, *this) {
    names_.Fill();
    shared_.context.store(driver_.Context(), std::memory_order_release);
    loggedIndex_.fill(-2);
}

void StationLinux::Start() {
    running_ = true;
    Load();
}

void StationLinux::Reload() {
    log_("reading " + store_.Path() + " again");
    // Keys still down get their release on the link their press went out on.
    core_.ForceReleases();
    Load();
}

void StationLinux::Load() {
    values_ = SettingsValues{};
    LoadSettings(settings_, values_, [this] {
        ClearDeviceTable(table_);
        LoadDevices(table_, EvdevDriverLinux::Api(), driver_.Context(), settings_, NarrowLatin1);
    });
    const std::string address = CanonicalDottedAddress(values_.broadcastAddress);
    if (address.empty()) {
        link_.Close();
        log_("no broadcast address in [Network] of " + store_.Path() + ": nothing is captured");
    } else if (link_.Init(0, 0, address, values_.port)) {
        log_("sending to " + address + ":" + std::to_string(values_.port));
    } else {
        log_("cannot send to \"" + address + "\" port " + std::to_string(values_.port) +
             " (a numeric IPv4 address and a port of 1-65535 are needed): nothing is captured");
    }
    // A new capture: modifiers held before belong to the old one.
    shared_.filterGeneration.store(shared_.filterGeneration.load(std::memory_order_relaxed) + 1,
                                   std::memory_order_release);
    LogRoles();
    ApplyFilters();
    // The settings file's text is UTF-8 here; no password protector: a plain one is read.
    ConnectionsPlatform platform;
    platform.toUtf8 = [](std::string_view text) { return std::string(text); };
    platform.lights = true;
    const ClassFlags wanted{values_.keyboards.useAux, values_.mouses.useAux};
    core_.StartConnections(
        ConnectionsFromSettings(settings_, StationNameFromSettings(settings_, HostName()), platform), wanted);
}

void StationLinux::FollowDevices() {
    const DeviceChanges changes =
        RereadDevices(table_, EvdevDriverLinux::Api(), driver_.Context(), NarrowLatin1);
    for (const int d : changes.changed) {
        shared_.presence[d].store(shared_.presence[d].load(std::memory_order_relaxed) + 1,
                                  std::memory_order_relaxed);
        shared_.departure[d].store(shared_.departure[d].load(std::memory_order_relaxed) + 1,
                                   std::memory_order_relaxed);
    }
    if (!changes.changed.empty()) {
        shared_.presenceGeneration.store(shared_.presenceGeneration.load(std::memory_order_relaxed) + 1,
                                         std::memory_order_release);
        shared_.departureGeneration.store(shared_.departureGeneration.load(std::memory_order_relaxed) + 1,
                                          std::memory_order_release);
    }
    // The keys of a keypad that went are up now.
    for (const int d : changes.changed)
        core_.ForceReleases(d);
    LogRoles();
    ApplyFilters();
    core_.UpdateExposure({values_.keyboards.useAux, values_.mouses.useAux});
    // A keyboard that came back shows its index's lights again.
    for (const int d : changes.changed)
        if (IsKeyboardNumber(d))
            WriteLights(table_[d].index.load(std::memory_order_relaxed), d);
}

void StationLinux::OnNews() {
    connections_.TakeNews();
    const std::vector<ConnectionStatus>& statuses = connections_.Statuses();
    loggedStatus_.resize(statuses.size());
    const ProgramTextsLinux texts;
    for (std::size_t i = 0; i < statuses.size(); ++i) {
        const std::string line = ConnectionStatusLine(statuses[i], texts);
        if (line == loggedStatus_[i])
            continue;
        loggedStatus_[i] = line;
        if (!line.empty())
            log_(statuses[i].peer + ": " + line);
    }
    for (const LightChange& change : connections_.TakeLights())
        if (lights_.Apply(change))
            WriteLights(change.index);
}

void StationLinux::WriteLights(int index, int device) {
    const std::optional<unsigned> mask = lights_.Mask(index);
    if (!mask || index < 0)
        return;
    for (int d = kFirstKeyboard; d <= kLastKeyboard; ++d)
        if ((device == 0 || d == device) && !table_[d].hardwareId.empty() &&
            table_[d].index.load(std::memory_order_relaxed) == index)
            driver_.SetLeds(d, *mask);
}

bool StationLinux::HeldNow(int d) const {
    if (d < kFirstKeyboard || d > kLastMouse)
        return false;
    const bool useAux = IsMouseNumber(d) ? values_.mouses.useAux : values_.keyboards.useAux;
    return running_ && link_.IsOpen() && useAux && !table_[d].hardwareId.empty() &&
           table_[d].index.load(std::memory_order_relaxed) >= 0;
}

void StationLinux::ApplyFilters() {
    DeviceMask keyboards = 0, mice = 0, none = 0;
    for (int d = kFirstKeyboard; d <= kLastMouse; ++d)
        (HeldNow(d) ? (IsMouseNumber(d) ? mice : keyboards) : none) |= DeviceBit(d);
    const DriverApi& api = EvdevDriverLinux::Api();
    SetFilterOn(api, driver_.Context(), none, 0);
    SetFilterOn(api, driver_.Context(), keyboards, kKeyboardFilterAll);
    SetFilterOn(api, driver_.Context(), mice, kMouseFilterCaptured);
}

void StationLinux::LogRoles() {
    for (int d = kFirstKeyboard; d <= kLastMouse; ++d) {
        const int index = table_[d].hardwareId.empty() ? -2 : table_[d].index.load(std::memory_order_relaxed);
        if (index == loggedIndex_[d])
            continue;
        loggedIndex_[d] = index;
        if (index >= 0)
            log_(std::string(ClassName(d)) + " " + std::to_string(d) + ": auxiliary, index " +
                 std::to_string(index));
        else if (index == -1)
            log_(std::string(ClassName(d)) + " " + std::to_string(d) + ": main device, not captured");
    }
}

void StationLinux::Stop() {
    // Everything the loop took was handled on this thread already: the releases still owed go out
    // on the link before it closes.
    core_.FinishStop(0, kStopBoundMs);
    running_ = false;
    driver_.ReleaseAll();
    link_.Close();
}

void StationLinux::SetReleaseReports(bool on) {
    shared_.releases.store(on ? 1 : 0, std::memory_order_release);
}

void StationLinux::Post(std::uintptr_t, std::uint32_t wParam, std::int32_t lParam) {
    OnAuxInput(wParam, lParam);
}

void StationLinux::OnAuxInput(std::uint32_t wParam, std::int32_t lParam) {
    const AuxInput in = UnpackAuxInput(wParam, lParam);
    const DeviceClass deviceClass = IsKeyboardNumber(in.device) ? DEVICE_CLASS_KEYBOARDS
                                    : IsMouseNumber(in.device)  ? DEVICE_CLASS_MICE
                                                                : DEVICE_CLASS_NONE;
    core_.OnAuxInput(in, deviceClass);
}

std::uint32_t StationLinux::TickCount() {
    return 0; // only for the tray animation, which a station has not: no clock read per event
}
