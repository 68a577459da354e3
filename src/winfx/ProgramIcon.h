#pragma once
// The program's icons at the sizes the system draws them, so Windows shows the picture drawn for
// that size instead of shrinking a larger one; and the owner that destroys such an icon.
#include "winfx/ScopedResource.h"

#include <windows.h>

// Owner of an icon made by LoadImage: destroyed with its owner.
struct IconTraits {
    static bool Valid(HICON icon) { return icon != nullptr; }
    static void Free(HICON icon) { ::DestroyIcon(icon); }
};

using ScopedIcon = ScopedResource<HICON, IconTraits>;

// Small: title bars and the notification area (SM_CXSMICON). Large: Alt+Tab and the taskbar
// (SM_CXICON). Both follow the system DPI.
enum class IconSize { Small, Large };

// Icon resourceId of the program's resources at the system's size for that role.
ScopedIcon LoadProgramIcon(int resourceId, IconSize size);
