#pragma once
// Which mouse strokes of an auxiliary mouse become events: exactly one transition of buttons 1-3 or
// the wheel. Moves (0), several transitions in one stroke, buttons 4 and 5 and the horizontal wheel
// are swallowed without an event.
#include "capture/Stroke.h"
#include <cstdint>

constexpr bool IsPostedButtonState(std::uint16_t state) {
    switch (state) {
    case kMouseLeftDown:
    case kMouseLeftUp:
    case kMouseRightDown:
    case kMouseRightUp:
    case kMouseMiddleDown:
    case kMouseMiddleUp:
    case kMouseWheel:
        return true;
    default:
        return false;
    }
}
