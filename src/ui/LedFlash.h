#pragma once
// The LED's flash: lit at once, out 300 ms after the latest Flash, with one switch-off per burst.
// The control maps it onto its timer 1; ticks come from the caller.
#include "ui/LedGeometry.h"
#include <cstdint>

inline constexpr unsigned kLedTimerId = 1;
inline constexpr unsigned kLedFlashMs = 300;

class LedFlash {
public:
    // Lights the LED. Returns true when a switch-off timer was pending, so the caller kills it
    // before arming it again for 300 ms.
    bool Flash(uint32_t now);

    // A timer tick. At or after 300 ms past the latest Flash the LED goes out (state LED_OFF, also for
    // a formerly disabled LED) and true is returned: the caller redraws and kills the timer.
    bool Tick(uint32_t now);

    // The armed timer fired (WM_TIMER id 1): the LED goes out now. Returns false when no flash was
    // pending, so a stray tick changes nothing.
    bool OnTimer();

    int state = LED_OFF;
    bool TimerRunning() const { return timerRunning_; }

private:
    bool timerRunning_ = false;
    uint32_t offAt_ = 0;
};
