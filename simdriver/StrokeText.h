#pragma once
// A stroke as one line of text, in the same words as the injection commands:
//   key 3 0x47 0        keyboard device, scan code, key state
//   mouse 12 1024 -120  mouse device, button state, wheel delta
#include "capture/Stroke.h"

#include <string>

std::string StrokeText(int device, const Stroke& stroke);
Stroke KeyStroke(unsigned short scanCode, unsigned short keyState);
Stroke MouseStroke(unsigned short buttonState, short wheelDelta);
