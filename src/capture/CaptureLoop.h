#pragma once
// The capture thread's body: wait up to 50 ms for a stroke, receive it, re-inject strokes of main
// devices, translate and post those of auxiliary devices (and, in setup mode, post and re-inject
// every stroke of the captured class). Allocates nothing and takes no lock per stroke; each pass
// publishes the number of passes completed so the user-interface thread can tell a stall.
#include "capture/AuxInputSink.h"
#include "capture/CaptureShared.h"
#include "capture/DeviceClass.h"
#include "capture/DeviceTable.h"
#include "capture/DriverApi.h"
#include "capture/KeypadZeroGate.h"
#include "capture/PressLedger.h"
#include "capture/ScanCodeMap.h"

// Gives up the processor for about a millisecond (Sleep(1), or a sleep of the standard library).
using PauseSource = void (*)();

class CaptureLoop {
public:
    static constexpr unsigned long kWaitMs = 50;
    // How long waits may keep answering with nothing read (woken for nothing, or a wait that ends at
    // once) before the driver counts as failed: the real library answers a failed read with 0
    // strokes, so a broken device would otherwise spin the thread. Judged by time, not by count, as
    // such wakes can come thousands a second or a few.
    static constexpr std::uint32_t kEmptyWakeMs = 1000;
    // At a stop, at most this many strokes still held in the driver are taken before the thread ends.
    static constexpr int kDrainLimit = 4096;

    CaptureLoop(const DriverApi& driver, CaptureShared& shared, const DeviceTable& table, AuxInputSink& sink,
                VirtualKeyMapper mapKey, TickSource ticks, PauseSource pause)
        : driver_(driver), shared_(shared), table_(table), sink_(sink), mapKey_(mapKey), ticks_(ticks),
          pause_(pause) {}

    // Runs passes until the stop flag is seen, then takes what the driver still holds (until a wait
    // with time-out 0 finds nothing). When the driver keeps waking the thread with nothing to read
    // for kEmptyWakeMs, both filters are set to 0 (nobody would re-inject what the driver holds back)
    // and `ended` is set. Each such wake pauses first, so a failing driver costs no processor.
    void Run();

    // One pass: wait, receive, handle. False when the loop is to end.
    bool Pass();

private:
    void Handle(int device, DriverContext context);
    void Keyboard(int device, DriverContext context);
    void Mouse(int device, DriverContext context);
    void Drain(DriverContext context);
    void EndByItself(DriverContext context);
    // One more pass that read nothing: true once such passes have lasted kEmptyWakeMs, otherwise
    // pauses and returns false.
    bool EmptyWake();
    // Modifier flags follow the devices: a new filter generation clears them all, a device that
    // went takes its own with it.
    void FollowGenerations();
    // The press ledger follows the keys Windows has down and forgets devices that went.
    void FollowPresses();

    const DriverApi& driver_;
    CaptureShared& shared_;
    const DeviceTable& table_;
    AuxInputSink& sink_;
    VirtualKeyMapper mapKey_;
    TickSource ticks_;
    PauseSource pause_;

    // The thread's own state.
    Stroke stroke_{};
    std::uint16_t modifiers_ = 0;
    // The modifier flags each keyboard pressed that are still set.
    std::uint16_t heldBy_[kDeviceCount] = {};
    std::uint32_t seenFilterGeneration_ = 0;
    std::uint32_t seenPresenceGeneration_ = 0;
    std::uint32_t seenPresence_[kDeviceCount] = {};
    bool emptyRun_ = false;        // the passes since emptySince_ read nothing
    std::uint32_t emptySince_ = 0; // tick of the first of them
    bool lastWasTimeout_ = false;  // the previous pass's wait ended with no device
    std::uint32_t lastTimeout_ = 0;
    std::uint32_t passes_ = 0; // published in CaptureShared::passes
    KeypadZeroGate keypadZero_;
    PressLedger presses_;
    std::uint32_t pressesPresenceGeneration_ = 0;
    std::uint32_t pressesPresence_[kDeviceCount] = {};
};
