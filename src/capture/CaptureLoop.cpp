#include "capture/CaptureLoop.h"
#include "capture/AuxInputMessage.h"
#include "capture/DeviceClass.h"
#include "capture/KeyTranslation.h"
#include "capture/LatencyTrace.h"
#include "capture/MouseRule.h"

void CaptureLoop::Run() {
    modifiers_ = 0;
    seenFilterGeneration_ = shared_.filterGeneration.load(std::memory_order_acquire);
    while (Pass()) {
    }
}

bool CaptureLoop::Pass() {
    const DriverContext context = shared_.context.load(std::memory_order_acquire);
    const int device = driver_.wait_with_timeout(context, kWaitMs);
    if (device != 0)
        KV_TRACE(kTraceWoken);
    const int count = driver_.receive(context, device, &stroke_, 1);
    if (count < 0) {
        EndByItself(context);
        return false;
    }
    // Filters were set since the last pass: modifiers held before belong to the old capture.
    const std::uint32_t generation = shared_.filterGeneration.load(std::memory_order_acquire);
    if (generation != seenFilterGeneration_) {
        seenFilterGeneration_ = generation;
        modifiers_ = 0;
    }
    // Nothing read leaves the buffer as it was: never act on the previous stroke again.
    if (count > 0) {
        KV_TRACE(kTraceReceived);
        if (driver_.is_keyboard(device)) {
            Keyboard(device, context);
        } else if (driver_.is_mouse(device)) {
            Mouse(device, context);
        }
    }
    shared_.passes.store(++passes_, std::memory_order_relaxed);
    return shared_.stop.load(std::memory_order_acquire) == 0;
}

void CaptureLoop::Keyboard(int device, DriverContext context) {
    const bool setup = shared_.setupMode.load(std::memory_order_acquire) != 0;
    const std::int32_t index = table_[device].index.load(std::memory_order_relaxed);
    if (!setup && index < 0) {
        driver_.send(context, device, &stroke_, 1);
        return;
    }
    const KeyAction action = TranslateKey(stroke_.KeyState(), mapKey_(stroke_.ScanCode()), modifiers_);
    const bool post = action.kind == KeyActionKind::Post ||
                      (action.kind == KeyActionKind::KeypadZero && keypadZero_.Pass(ticks_()));
    if (post) {
        const AuxInputParams p = PackAuxInput(device, modifiers_, index, action.code);
        KV_TRACE(kTracePosting);
        sink_.Post(shared_.target.load(std::memory_order_acquire), p.wParam, p.lParam);
        KV_TRACE(kTracePosted);
    }
    // In setup mode every stroke goes back, consumed ones included, so the system sees the keyboard
    // unchanged while the dialog is open.
    if (setup || index < 0) {
        driver_.send(context, device, &stroke_, 1);
    }
}

void CaptureLoop::Mouse(int device, DriverContext context) {
    const bool setup = shared_.setupMode.load(std::memory_order_acquire) != 0;
    const std::int32_t index = table_[device].index.load(std::memory_order_relaxed);
    if (!setup && index < 0) {
        driver_.send(context, device, &stroke_, 1);
        return;
    }
    const std::uint16_t state = stroke_.ButtonState();
    if (IsPostedButtonState(state)) {
        const auto delta = static_cast<std::uint16_t>(stroke_.WheelDelta());
        const AuxInputParams p = PackAuxInput(device, delta, index, state);
        KV_TRACE(kTracePosting);
        sink_.Post(shared_.target.load(std::memory_order_acquire), p.wParam, p.lParam);
        KV_TRACE(kTracePosted);
    }
    if (setup || index < 0) {
        driver_.send(context, device, &stroke_, 1);
    }
}

void CaptureLoop::EndByItself(DriverContext context) {
    // Marked first: a filter set on the other thread after it saw the mark clear is undone there.
    shared_.ended.store(1, std::memory_order_seq_cst);
    ClearBothFilters(driver_, context);
}
