#include "ui/LedFlash.h"

bool LedFlash::Flash(uint32_t now) {
    const bool wasRunning = timerRunning_;
    timerRunning_ = true;
    state = LED_ON;
    offAt_ = now + kLedFlashMs;
    return wasRunning;
}

bool LedFlash::Tick(uint32_t now) {
    if (!timerRunning_ || static_cast<int32_t>(now - offAt_) < 0)
        return false;
    return OnTimer();
}

bool LedFlash::OnTimer() {
    if (!timerRunning_)
        return false;
    state = LED_OFF;
    timerRunning_ = false;
    return true;
}
