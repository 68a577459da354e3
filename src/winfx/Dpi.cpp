#include "winfx/Dpi.h"

int SystemDpi() {
    int dpi = 96;
    if (HDC screen = ::GetDC(nullptr)) {
        dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
        ::ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : 96;
}

int ScaleForDpi(int pixels96) {
    return ::MulDiv(pixels96, SystemDpi(), 96);
}
