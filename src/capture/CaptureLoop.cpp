#include "capture/CaptureLoop.h"
#include "capture/AuxInputMessage.h"
#include "capture/KeyTranslation.h"
#include "capture/LatencyTrace.h"
#include "capture/MouseRule.h"

void CaptureLoop::Run() {
    modifiers_ = 0;
    for (std::uint16_t& held : heldBy_)
        held = 0;
    emptyRun_ = false;
    lastWasTimeout_ = false;
    seenFilterGeneration_ = shared_.filterGeneration.load(std::memory_order_acquire);
    seenPresenceGeneration_ = shared_.presenceGeneration.load(std::memory_order_acquire);
    for (int d = 0; d < kDeviceCount; ++d)
        seenPresence_[d] = shared_.presence[d].load(std::memory_order_relaxed);
    presses_.Clear();
    pressesPresenceGeneration_ = shared_.departureGeneration.load(std::memory_order_acquire);
    for (int d = 0; d < kDeviceCount; ++d)
        pressesPresence_[d] = shared_.departure[d].load(std::memory_order_relaxed);
    while (Pass()) {
    }
    if (shared_.ended.load(std::memory_order_seq_cst) == 0)
        Drain(shared_.context.load(std::memory_order_acquire));
}

bool CaptureLoop::Pass() {
    const DriverContext context = shared_.context.load(std::memory_order_acquire);
    const int device = driver_.wait_with_timeout(context, kWaitMs);
    if (device != 0)
        KV_TRACE(kTraceWoken);
    const int count = driver_.receive(context, device, &stroke_, 1);
    // A read of nothing is normal now and then; woken for nothing (or not waiting at all) for a
    // whole second, the driver has failed. Waits that end with nothing are timed against the one
    // before, so a stroke's pass reads no clock.
    bool empty = count <= 0;
    if (device == 0) {
        const std::uint32_t now = ticks_();
        empty = lastWasTimeout_ && now - lastTimeout_ < kWaitMs / 2;
        lastWasTimeout_ = true;
        lastTimeout_ = now;
    } else {
        lastWasTimeout_ = false;
    }
    if (!empty) {
        emptyRun_ = false;
    } else if (EmptyWake()) {
        EndByItself(context);
        return false;
    }
    FollowGenerations();
    FollowPresses();
    // Nothing read leaves the buffer as it was: never act on the previous stroke again.
    if (count > 0) {
        KV_TRACE(kTraceReceived);
        Handle(device, context);
    }
    shared_.passes.store(++passes_, std::memory_order_relaxed);
    return shared_.stop.load(std::memory_order_acquire) == 0;
}

bool CaptureLoop::EmptyWake() {
    const std::uint32_t now = ticks_();
    if (!emptyRun_) {
        emptyRun_ = true;
        emptySince_ = now;
    } else if (now - emptySince_ >= kEmptyWakeMs) {
        return true;
    }
    if (pause_ != nullptr)
        pause_();
    return false;
}

void CaptureLoop::FollowGenerations() {
    // Filters were set since the last pass: modifiers held before belong to the old capture.
    const std::uint32_t generation = shared_.filterGeneration.load(std::memory_order_acquire);
    if (generation != seenFilterGeneration_) {
        seenFilterGeneration_ = generation;
        modifiers_ = 0;
        for (std::uint16_t& held : heldBy_)
            held = 0;
    }
    const std::uint32_t presence = shared_.presenceGeneration.load(std::memory_order_acquire);
    if (presence == seenPresenceGeneration_)
        return;
    seenPresenceGeneration_ = presence;
    for (int d = kFirstKeyboard; d <= kLastKeyboard; ++d) {
        const std::uint32_t seen = shared_.presence[d].load(std::memory_order_relaxed);
        if (seen == seenPresence_[d])
            continue;
        seenPresence_[d] = seen;
        std::uint16_t others = 0;
        for (int o = kFirstKeyboard; o <= kLastKeyboard; ++o)
            others |= o == d ? 0 : heldBy_[o];
        modifiers_ &= static_cast<std::uint16_t>(~(heldBy_[d] & ~others));
        heldBy_[d] = 0;
    }
}

void CaptureLoop::FollowPresses() {
    WindowsKeys keys;
    bool fresh = false;
    if (shared_.windowsKeys.Take(keys, fresh))
        presses_.TakeWindowsKeys(keys, fresh);
    const std::uint32_t presence = shared_.departureGeneration.load(std::memory_order_acquire);
    if (presence == pressesPresenceGeneration_)
        return;
    pressesPresenceGeneration_ = presence;
    for (int d = kFirstKeyboard; d <= kLastMouse; ++d) {
        const std::uint32_t seen = shared_.departure[d].load(std::memory_order_relaxed);
        if (seen != pressesPresence_[d])
            presses_.Forget(d);
        pressesPresence_[d] = seen;
    }
}

void CaptureLoop::Handle(int device, DriverContext context) {
    if (driver_.is_keyboard(device)) {
        Keyboard(device, context);
    } else if (driver_.is_mouse(device)) {
        Mouse(device, context);
    }
}

void CaptureLoop::Keyboard(int device, DriverContext context) {
    const bool setup = shared_.setupMode.load(std::memory_order_acquire) != 0;
    const std::int32_t index = table_[device].index.load(std::memory_order_relaxed);
    const std::uint16_t keyState = stroke_.KeyState();
    // A key goes where its press went. E1 strokes (Pause) come as press and release at once.
    const bool back =
        (keyState & kKeyE1) == 0 && presses_.KeyGoesBack(device, KeyOf(stroke_.ScanCode(), keyState),
                                                         (keyState & kKeyUp) != 0, !setup && index >= 0);
    if (!setup && (index < 0 || back)) {
        driver_.send(context, device, &stroke_, 1);
        return;
    }
    const std::uint16_t before = modifiers_;
    const KeyAction action = IsFakeShift(stroke_.ScanCode(), keyState)
                                 ? KeyAction{KeyActionKind::Consume, 0}
                                 : TranslateKey(keyState, mapKey_(stroke_.ScanCode()), modifiers_);
    if (modifiers_ != before) {
        heldBy_[device] |= static_cast<std::uint16_t>(modifiers_ & ~before);
        // A flag let go is off for every keyboard, as there is one set for all.
        const auto released = static_cast<std::uint16_t>(before & ~modifiers_);
        for (std::uint16_t& held : heldBy_)
            held &= static_cast<std::uint16_t>(~released);
    }
    const bool post = action.kind == KeyActionKind::Post ||
                      (action.kind == KeyActionKind::KeypadZero && keypadZero_.Pass(ticks_()));
    // Releases are told only outside setup, for the user-interface thread to match with its presses.
    const bool named = !setup && shared_.releases.load(std::memory_order_acquire) != 0;
    const bool release = named && !post && (keyState & kKeyUp) != 0;
    if (post || release) {
        AuxInputParams p = PackAuxInput(device, modifiers_, index, post ? action.code : 0);
        if (named)
            p.lParam |= AuxKeyBits(AuxKeyOf(stroke_.ScanCode(), (keyState & kKeyE0) != 0), release);
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
    const bool captured = !setup && index >= 0;
    const std::uint16_t back = presses_.ButtonsGoingBack(device, stroke_.ButtonState(), captured);
    if (!setup && index < 0) {
        driver_.send(context, device, &stroke_, 1);
        return;
    }
    if (captured && back != 0) {
        // Ups and downs of buttons the system has down go back on their own, without the movement.
        Stroke own{};
        own.SetU16(0, back);
        for (int b = kStrokeInformation; b < kStrokeInformation + 4; ++b)
            own.bytes[b] = stroke_.bytes[b];
        driver_.send(context, device, &own, 1);
    }
    const auto state = static_cast<std::uint16_t>(stroke_.ButtonState() & (captured ? ~back : 0xFFFF));
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

void CaptureLoop::Drain(DriverContext context) {
    // The filters are 0 already: what is still held was held before, and goes where it would have
    // gone, so no key stays down in Windows.
    for (int n = 0; n < kDrainLimit; ++n) {
        const int device = driver_.wait_with_timeout(context, 0);
        if (device == 0 || driver_.receive(context, device, &stroke_, 1) <= 0)
            return;
        Handle(device, context);
    }
}

void CaptureLoop::EndByItself(DriverContext context) {
    // Marked first: a filter set on the other thread after it saw the mark clear is undone there.
    shared_.ended.store(1, std::memory_order_seq_cst);
    ClearBothFilters(driver_, context);
}
