#pragma once
// A mouse as a Companion surface: one row of four buttons, left, middle and right, then the wheel as
// an encoder. Wheel deltas add up per mouse; each whole notch (120) turns the encoder one step, so a
// high-resolution wheel that sends less per event turns it as often as its notches say.
#include "connections/DestinationEvent.h"

constexpr int kMouseSurfaceButtons = 4;
constexpr int kMouseWheelButton = 3;

// The button a mouse button presses, or -1.
constexpr int MouseSurfaceButton(MouseButton button) {
    switch (button) {
    case MouseButton::Left:
        return 0;
    case MouseButton::Middle:
        return 1;
    case MouseButton::Right:
        return 2;
    default:
        return -1;
    }
}

class WheelSteps {
public:
    static constexpr int kNotch = 120;

    // Adds a delta; returns the whole notches now completed, signed (positive away from the user),
    // and keeps the remainder for the next one.
    int Add(int delta) {
        sum_ += delta;
        const int steps = sum_ / kNotch;
        sum_ -= steps * kNotch;
        return steps;
    }
    void Reset() { sum_ = 0; }

private:
    int sum_ = 0;
};
