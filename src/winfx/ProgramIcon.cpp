#include "winfx/ProgramIcon.h"

#include "winfx/Trace.h"
#include "winfx/WinApp.h"

ScopedIcon LoadProgramIcon(int resourceId, IconSize size) {
    const bool small = size == IconSize::Small;
    const int cx = ::GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    const int cy = ::GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON);
    auto icon = static_cast<HICON>(
        ::LoadImageA(WinFxResourceInstance(), MAKEINTRESOURCEA(resourceId), IMAGE_ICON, cx, cy, 0));
    if (!icon)
        TraceLastError("LoadImageA (icon)");
    return ScopedIcon(icon);
}
