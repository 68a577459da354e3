#pragma once
// An LED's lit-until deadline: every event lights it and moves the deadline to 300 ms after the
// latest one; it goes out once, at or after the deadline. Tick counts come from the caller; the
// compare is a signed 32-bit difference, so it holds across the wrap of the tick counter.
#include <cstdint>

inline constexpr uint32_t kLedLitMs = 300;

class LedLitUntil {
public:
    void Light(uint32_t now) {
        m_lit = true;
        m_until = now + kLedLitMs;
    }
    // True when the LED was lit and its deadline has come: it is out from here on.
    bool GoOutIfDue(uint32_t now) {
        if (!m_lit || static_cast<int32_t>(now - m_until) < 0)
            return false;
        m_lit = false;
        return true;
    }
    // Milliseconds until the deadline; 0 when out or due.
    uint32_t RemainingMs(uint32_t now) const {
        const int32_t left = static_cast<int32_t>(m_until - now);
        return m_lit && left > 0 ? static_cast<uint32_t>(left) : 0;
    }
    bool Lit() const { return m_lit; }

private:
    bool m_lit = false;
    uint32_t m_until = 0;
};
