#include "StrokeText.h"

#include "capture/DeviceClass.h"

#include <cstdio>

std::string StrokeText(int device, const Stroke& stroke) {
    char text[64];
    if (IsMouseNumber(device))
        std::snprintf(text, sizeof text, "mouse %d %u %d", device, unsigned{stroke.ButtonState()},
                      int{stroke.WheelDelta()});
    else
        std::snprintf(text, sizeof text, "key %d 0x%02X %u", device, unsigned{stroke.ScanCode()},
                      unsigned{stroke.KeyState()});
    return text;
}

Stroke KeyStroke(unsigned short scanCode, unsigned short keyState) {
    Stroke s{};
    s.SetU16(0, scanCode);
    s.SetU16(2, keyState);
    return s;
}

Stroke MouseStroke(unsigned short buttonState, short wheelDelta) {
    Stroke s{};
    s.SetU16(0, buttonState);
    s.SetU16(4, static_cast<unsigned short>(wheelDelta));
    return s;
}
