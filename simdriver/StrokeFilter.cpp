#include "StrokeFilter.h"

#include "capture/DeviceClass.h"

unsigned short FilterKindsOf(int device, const Stroke& stroke) {
    if (IsKeyboardNumber(device)) {
        const unsigned state = stroke.KeyState();
        unsigned kinds = (state & kKeyUp) ? kFilterKeyUp : kFilterKeyDown;
        if (state & kKeyE0)
            kinds |= kFilterKeyE0;
        if (state & kKeyE1)
            kinds |= kFilterKeyE1;
        return static_cast<unsigned short>(kinds);
    }
    if (IsMouseNumber(device)) {
        const unsigned short state = stroke.ButtonState();
        return state == 0 ? kFilterMouseMove : static_cast<unsigned short>(state & 0x0FFF);
    }
    return 0;
}
