#pragma once
// The capture thread's body: wait up to 50 ms for a stroke, receive it, re-inject strokes of main
// devices, translate and post those of auxiliary devices (and, in setup mode, post and re-inject
// every stroke of the captured class). Allocates nothing and takes no lock per stroke; each pass
// publishes the number of passes completed so the user-interface thread can tell a stall.
#include "capture/AuxInputSink.h"
#include "capture/CaptureShared.h"
#include "capture/DeviceTable.h"
#include "capture/DriverApi.h"
#include "capture/KeypadZeroGate.h"
#include "capture/ScanCodeMap.h"

class CaptureLoop {
public:
    static constexpr unsigned long kWaitMs = 50;

    CaptureLoop(const DriverApi& driver, CaptureShared& shared, const DeviceTable& table, AuxInputSink& sink,
                VirtualKeyMapper mapKey, TickSource ticks)
        : driver_(driver), shared_(shared), table_(table), sink_(sink), mapKey_(mapKey), ticks_(ticks) {}

    // Runs passes until the stop flag is seen or a receive fails. After a failed receive both
    // filters are set to 0 (nobody would re-inject what the driver holds back) and `ended` is set.
    void Run();

    // One pass: wait, receive, handle. False when the loop is to end.
    bool Pass();

private:
    void Keyboard(int device, DriverContext context);
    void Mouse(int device, DriverContext context);
    void EndByItself(DriverContext context);

    const DriverApi& driver_;
    CaptureShared& shared_;
    const DeviceTable& table_;
    AuxInputSink& sink_;
    VirtualKeyMapper mapKey_;
    TickSource ticks_;

    // The thread's own state.
    Stroke stroke_{};
    std::uint16_t modifiers_ = 0;
    std::uint32_t seenFilterGeneration_ = 0;
    std::uint32_t passes_ = 0; // published in CaptureShared::passes
    KeypadZeroGate keypadZero_;
};
