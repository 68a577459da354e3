#pragma once
// CLed: a static control that paints one 16 x 16 LED cell of bitmap 131 (state column, colour and
// shape row), with magenta as the transparent colour, and that can flash: lit at once, out 300 ms
// after the latest Flash.
#include "ui/LedGeometry.h"
#include "ui/LedLitUntil.h"
#include "winfx/ScopedGdi.h"
#include "winfx/Static.h"

// Timers of an LED.
enum class LedTimer : UINT_PTR { Off = 1 };

class CLed : public CStatic {
public:
    // Red, round, unlit; loads the strip from the program's resources.
    CLed();
    ~CLed() override;

    // Plain members: the owner assigns them and then redraws (Redraw).
    int m_colour = LED_RED;  // LED_RED, LED_GREEN, LED_YELLOW, LED_BLUE (row offset)
    int m_state = LED_OFF;   // LED_ON, LED_OFF, LED_DISABLED (column)
    int m_shape = LED_ROUND; // LED_ROUND, LED_SQUARE (added to the row offset)

    // Draws the cell of (state, colour, shape) into dc at the control's position: centred in a
    // client area of at least 16 x 16, else at the origin. Every temporary DC and bitmap is
    // released before it returns.
    void DrawLed(int state, HDC dc, int colour, int shape);
    // Draws the current members at once through a window DC.
    void Redraw();
    // Lights the LED now and (re)arms its 300 ms switch-off.
    void Flash();
    // Lit by a flash and not yet gone out.
    bool Lit() const { return m_lit.Lit(); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnOffTimer();

    ScopedBitmap m_strip;
    LedLitUntil m_lit;
};
