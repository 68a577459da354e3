#pragma once
// The system DPI the program runs at (it declares itself aware of the system DPI), and the scaling
// of sizes given in pixels at 96 DPI. Dialog templates scale with their font by themselves; only
// what is sized in pixels goes through here.
#include <windows.h>

// Logical pixels per inch of the screen: 96 at 100 %, 120 at 125 %, 144 at 150 %.
int SystemDpi();

// pixels96 (a size meant for 96 DPI) at the system DPI, rounded to the nearest pixel.
int ScaleForDpi(int pixels96);
