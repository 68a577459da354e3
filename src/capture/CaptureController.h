#pragma once
// Start and stop of capture, the driver filters and setup mode, all called on the user-interface
// thread. Owns the capture loop and the values it shares with the capture thread.
#include "capture/CaptureLoop.h"
#include "capture/CaptureShared.h"
#include "capture/DeviceTable.h"
#include "capture/DriverApi.h"
#include "capture/HardwareIdText.h"
#include "capture/ThreadStarter.h"
#include <atomic>
#include <cstdint>

class Settings;

// The platform functions the capture side needs.
struct CaptureServices {
    VirtualKeyMapper mapKey; // MapVirtualKeyA(scan, 1) or the US table
    TickSource ticks;        // millisecond tick count for the keypad-zero gate
    WideToAnsi narrow;       // hardware-id conversion
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
    // Ends the thread (it notices within one 50 ms wait) and destroys the context.
    void StopCapture();

    // RestartLink's filter setting: keyboards 15 or 0, mice 5183 or 0. Only while the thread runs.
    void SetCaptureFilters(bool useAuxKeyboards, bool useAuxMice);
    // Around the modal setup dialog of one class: only that class is captured, and every stroke of
    // it goes to setupTarget and back to the system. Leaving restores the main window as target and
    // sets both filters to 0.
    void EnterSetupMode(DeviceClass deviceClass, std::uintptr_t setupTarget);
    void LeaveSetupMode();

    bool HasContext() const { return shared_.context.load(std::memory_order_acquire) != nullptr; }
    // A thread was started and has not ended by itself.
    bool ThreadRunning() const;
    // The driver is there but the capture thread could not be made: nothing is captured.
    bool StartFailed() const { return HasContext() && thread_.load(std::memory_order_acquire) == 0; }
    DriverContext Context() const { return shared_.context.load(std::memory_order_acquire); }

private:
    static void ThreadBody(void* self);
    // Sets both filters when context and thread exist; undoes them if the thread ended meanwhile.
    void SetFilters(unsigned short keyboards, unsigned short mice);

    const DriverApi& driver_;
    DeviceTable& table_;
    ThreadStarter& threads_;
    CaptureServices services_;
    CaptureShared shared_;
    CaptureLoop loop_;
    std::atomic<std::uintptr_t> thread_{0};
    std::uintptr_t mainWindow_ = 0;
};
