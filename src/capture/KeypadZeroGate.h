#pragma once
// Keypad 0 of the auxiliary keyboards is posted at most once per 100 ms: the press that passes closes
// the gate, and it reopens 100 ms after that press, judged from a millisecond tick count. Owned by
// the capture thread alone, so it needs no timer and survives a target window that goes away.
#include <cstdint>

// Millisecond tick count that wraps at 2^32 (GetTickCount on Windows).
using TickSource = std::uint32_t (*)();

class KeypadZeroGate {
public:
    static constexpr std::uint32_t kClosedMs = 100;

    // True when a keypad-0 press at now is let through (and closes the gate).
    bool Pass(std::uint32_t now) {
        if (closed_ && now - closedAt_ < kClosedMs) {
            return false;
        }
        closed_ = true;
        closedAt_ = now;
        return true;
    }

private:
    bool closed_ = false;
    std::uint32_t closedAt_ = 0;
};

// Steady-clock milliseconds for platforms without a system tick count.
std::uint32_t SteadyTickCount();
