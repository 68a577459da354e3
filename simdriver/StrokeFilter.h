#pragma once
// Which kinds of stroke a filter mask holds back, as the driver decides it.
//   keyboards: 1 press, 2 release, 4 E0 prefix, 8 E1 prefix (a stroke is of every kind it shows:
//              an E0 press is both "press" and "E0")
//   mice:      the button-state bits themselves (1 left down ... 1024 wheel, 2048 horizontal
//              wheel), and 0x1000 for a move (button state 0)
// A stroke is held when the filter names any of its kinds; otherwise it goes to the system.
#include "capture/Stroke.h"

constexpr unsigned short kFilterKeyDown = 1, kFilterKeyUp = 2, kFilterKeyE0 = 4, kFilterKeyE1 = 8;
constexpr unsigned short kFilterMouseMove = 0x1000;

unsigned short FilterKindsOf(int device, const Stroke& stroke);
inline bool FilterHolds(unsigned short filter, unsigned short kinds) {
    return (filter & kinds) != 0;
}
