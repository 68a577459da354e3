#pragma once
// CLabel: a static text with its own text colour, background brush and font, answering its own
// colour request through reflection. It can also blink (text or background, one step per WM_TIMER
// on its window), open its text with the shell when clicked (needs the notify style) and show its
// own cursor.
#include "winfx/ScopedGdi.h"
#include "winfx/Static.h"

#include <string>

class CLabel : public CStatic {
public:
    enum BlinkMode { BlinkNone = 0, BlinkText = 1, BlinkBackground = 2 };

    CLabel();
    ~CLabel() override;

    // Font changes: each rebuilds the font from the description and redraws the label at once.
    void SetFontWeight(int weight);
    void SetFontHeight(int height);
    const LOGFONTA& FontDescription() const { return m_logFont; }
    HFONT Font() const { return m_font.Get(); }

    void SetTextColour(COLORREF colour);
    // The brushes are owned by the label from here on; nullptr keeps that brush, and a brush the
    // label already owns is kept, not freed. The two must be different brushes.
    void SetBackground(HBRUSH brush, HBRUSH blinkBrush);
    // Blinking steps on every WM_TIMER the label's window gets (the owner sets the timer).
    void SetBlink(BlinkMode mode, std::string text);
    // nullptr: the default cursor.
    void SetCursor(HCURSOR cursor) { m_cursor = cursor; }

    HBRUSH CtlColorReflect(HDC dc, UINT ctlType) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void RebuildFont();

    COLORREF m_textColour;
    ScopedBrush m_background;
    ScopedBrush m_blinkBackground;
    LOGFONTA m_logFont{};
    ScopedFont m_font;
    std::string m_blinkText;
    bool m_blinkToggle = false;
    int m_blinkMode = BlinkNone;
    HCURSOR m_cursor = nullptr;
};
