#pragma once
// Start and stop of capture, the driver filters and setup mode, all called on the user-interface
// thread. Owns the capture loop and the values it shares with the capture thread.
#include "capture/CaptureLoop.h"
#include "capture/CaptureShared.h"
#include "capture/DeviceFilters.h"
#include "capture/DeviceRegistry.h"
#include "capture/DeviceTable.h"
#include "capture/DriverApi.h"
#include "capture/HardwareIdText.h"
#include "capture/StallWatch.h"
#include "capture/ThreadStarter.h"
#include "capture/WindowsKeys.h"
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

class Settings;

// The platform functions the capture side needs.
struct CaptureServices {
    VirtualKeyMapper mapKey; // MapVirtualKeyA(scan, 1) or the US table
    TickSource ticks;        // millisecond tick count for the keypad-zero gate and the empty wakes
    WideToAnsi narrow;       // hardware-id conversion
    PauseSource pause;       // a pause of about a millisecond after a wake that read nothing
    // What Windows has down (GetAsyncKeyState), read just before a filter is set; none: nothing is
    // known to be down.
    WindowsKeysReader windowsKeys = nullptr;
};

// What one stall check found.
enum class CaptureCheck {
    Running, // nothing to do
    Stalled, // the thread made no pass for 2 s: its filters are being cleared aside
    Ended,   // the thread ended by itself (the driver kept waking it for nothing), first seen now
};

class CaptureController {
public:
    CaptureController(const DriverApi& driver, DeviceTable& table, AuxInputSink& sink, ThreadStarter& threads,
                      CaptureServices services);
    ~CaptureController(); // stops a thread still running
    CaptureController(const CaptureController&) = delete;
    CaptureController& operator=(const CaptureController&) = delete;

    // Creates the driver context; without one, returns (the program runs without capture).
    // Otherwise posts go to mainWindow, the device table is loaded and the thread started.
    void StartCapture(std::uintptr_t mainWindow, Settings& settings);
    // Sets the filters of the held devices to 0, lets the thread give back or post what the driver
    // still holds, ends it (it notices within one 50 ms wait) and destroys the context. A thread
    // that has not ended after kExitWaitMs is left to the end of the process with its context, its
    // filters cleared.
    void StopCapture();
    static constexpr unsigned long kExitWaitMs = 2000;

    // RestartLink's filter setting: with a class's flag on, its auxiliary devices (those with an
    // index) get the class's mask (keyboards 15, mice 5183) and every other number of the class 0;
    // with the flag off, the whole class 0. Only while the thread runs.
    void SetCaptureFilters(bool useAuxKeyboards, bool useAuxMice);
    // Around the modal setup dialog of one class: every device of that class is held (its LEDs
    // must see them all), every stroke of it goes to setupTarget and back to the system. Leaving
    // restores the main window as target and sets every filter to 0.
    void EnterSetupMode(DeviceClass deviceClass, std::uintptr_t setupTarget);
    void LeaveSetupMode();

    // The forcing rule turned a class's flag on or off after a re-read: while capturing, the filters
    // follow (modifiers held are kept); in the other states the next SetCaptureFilters decides.
    void FollowCaptureClasses(bool useAuxKeyboards, bool useAuxMice);
    // Whether auxiliary key releases are reported (a release command is set).
    void SetReleaseReports(bool on) { shared_.releases.store(on ? 1 : 0, std::memory_order_release); }
    // Reads the hardware ids again (user-interface thread): the table follows the devices present,
    // modifiers held on a device that went are forgotten, and the filters that must change are set
    // for the current state (none while no filter is set). Nothing without a context.
    DeviceChanges RereadDevices();

    // Strokes of this device number are held and posted to the main window now (a capture filter,
    // not setup mode), so its key releases will be reported there.
    bool Holds(int device) const;
    // Tells the capture thread which of the keys Windows had down when a filter was last set are
    // down no longer (a main keyboard's Enter that pressed OK), so that their next press on a held
    // device is captured. Called with the stall check.
    void FollowWindowsKeys();

    // A filter of either class is set: the stall check runs every StallWatch::kCheckMs meanwhile.
    bool FiltersSet() const { return filtersSet_; }
    // Told true when some filter starts holding a device, whoever set it (start, Apply, setup, a
    // re-read, a follow, a class back on), and false when nothing is held any more: the one place
    // that turns the stall check on and off. Called on the user-interface thread.
    void SetHeldChanged(std::function<void(bool held)> changed) { heldChanged_ = std::move(changed); }
    // The stall check, at tick `now`, while something is held. When the thread has made no pass for
    // 2 s it is asked to stop, both filters are cleared from a helper thread (a call that hangs in the
    // driver must not take this thread with it) and capture counts as ended until the program
    // restarts. A thread that ended by itself is reported once, and nothing counts as held after it.
    CaptureCheck CheckProgress(std::uint32_t now);
    // The stall check tripped.
    bool Stalled() const { return stalled_; }
    // Capture ended and will not come back until the program restarts: the stall check tripped or
    // the driver kept waking the thread with nothing to read.
    bool CaptureStopped() const;

    // What placing the saved devices found at start.
    const DevicePlacement& StartPlacement() const { return startPlacement_; }

    // Passes the capture thread has completed.
    std::uint32_t Passes() const { return shared_.passes.load(std::memory_order_relaxed); }

    bool HasContext() const { return shared_.context.load(std::memory_order_acquire) != nullptr; }
    // A thread was started and has not ended by itself.
    bool ThreadRunning() const;
    // The driver is there but the capture thread could not be made: nothing is captured.
    bool StartFailed() const { return HasContext() && thread_.load(std::memory_order_acquire) == 0; }
    DriverContext Context() const { return shared_.context.load(std::memory_order_acquire); }

private:
    static void ThreadBody(void* self);
    static void ClearFiltersBody(void* self);
    // Starts the helper thread that sets both filters to 0 (on this thread if none can be made).
    void ClearFiltersAside();
    // What the driver is to hold now, and the calls that make it so: only numbers whose filter
    // must change are covered. Undoes everything if the thread ended meanwhile.
    enum class FilterState { None, Capture, Setup };
    void ChangeFilterState(FilterState state);
    void ApplyFilters();
    unsigned short WantedFilter(int device) const;
    // Has the capture thread forget the modifiers it saw held on these numbers (their device went or
    // changed, or their filter changes) and, for devices that departed, which keys it took or gave
    // back: a key keeps going where its press went across a filter change.
    void ForgetHeldOn(DeviceMask devices, bool departed);
    // filtersSet_ with the stall watch and heldChanged_ following it.
    void SetHeld(bool held);
    // Reads what Windows has down and hands it to the capture thread.
    void HandOverWindowsKeys(bool fresh);

    const DriverApi& driver_;
    DeviceTable& table_;
    ThreadStarter& threads_;
    CaptureServices services_;
    CaptureShared shared_;
    CaptureLoop loop_;
    std::atomic<std::uintptr_t> thread_{0};
    std::uintptr_t mainWindow_ = 0;
    // User-interface thread only.
    bool filtersSet_ = false;
    std::function<void(bool)> heldChanged_;
    bool stalled_ = false;
    StallWatch watch_;
    std::uintptr_t clearer_ = 0; // the helper thread clearing the filters
    DevicePlacement startPlacement_;
    FilterState filterState_ = FilterState::None;
    bool useAux_[2] = {false, false}; // keyboards, mice
    DeviceClass setupClass_ = DEVICE_CLASS_NONE;
    // The mask the driver has for each number as far as this side knows; kUnknownFilter for a number
    // never set, or whose device changed since (a device that arrives is set, never assumed).
    static constexpr int kUnknownFilter = -1;
    std::array<int, kDeviceCount> applied_;
    WindowsKeys windowsKeys_; // as last handed over
};
