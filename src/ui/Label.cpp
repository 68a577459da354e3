#include "ui/Label.h"

#include <shellapi.h>

CLabel::CLabel()
    : m_textColour(::GetSysColor(COLOR_WINDOWTEXT)),
      m_background(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE))),
      m_blinkBackground(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE))) {
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof m_logFont, &m_logFont);
    m_font.Reset(::CreateFontIndirectA(&m_logFont));
}

CLabel::~CLabel() {
    // The control must not keep drawing with a font that is about to go.
    if (m_hWnd)
        ::SendMessageA(m_hWnd, WM_SETFONT, 0, FALSE);
    UnsubclassWindow();
}

void CLabel::SetFontWeight(int weight) {
    m_logFont.lfWeight = weight;
    RebuildFont();
}

void CLabel::SetFontHeight(int height) {
    m_logFont.lfHeight = height;
    RebuildFont();
}

void CLabel::RebuildFont() {
    ScopedFont old = std::move(m_font);
    m_font.Reset(::CreateFontIndirectA(&m_logFont));
    if (m_hWnd) {
        // The static selects its own font after asking for colours, so it is told the font too;
        // this happens before the old one is deleted so it never holds a dead handle.
        ::SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
    }
    old.Reset();
    if (m_hWnd)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CLabel::SetTextColour(COLORREF colour) {
    m_textColour = colour;
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CLabel::SetBackground(HBRUSH brush, HBRUSH blinkBrush) {
    if (brush)
        m_background.Reset(brush);
    if (blinkBrush)
        m_blinkBackground.Reset(blinkBrush);
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CLabel::SetBlink(BlinkMode mode, std::string text) {
    m_blinkMode = mode;
    m_blinkText = std::move(text);
    m_blinkToggle = false;
}

HBRUSH CLabel::CtlColorReflect(HDC dc, UINT ctlType) {
    if (ctlType != CTLCOLOR_STATIC)
        return nullptr;
    if (m_font)
        ::SelectObject(dc, m_font.Get());
    ::SetTextColor(dc, m_textColour);
    ::SetBkMode(dc, TRANSPARENT);
    if (m_blinkMode == BlinkBackground && !m_blinkToggle)
        return m_blinkBackground.Get();
    return m_background.Get();
}

LRESULT CLabel::WindowProc(UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_TIMER:
        m_blinkToggle = !m_blinkToggle;
        if (m_blinkMode == BlinkText) {
            SetWindowTextA(m_blinkToggle ? std::string() : m_blinkText);
        } else if (m_blinkMode == BlinkBackground) {
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
            ::UpdateWindow(m_hWnd);
        }
        return Default();
    case WM_LBUTTONDOWN: {
        // Whatever the text names (a web address, a file) opens in its program; the result is not used.
        const std::string target = GetWindowTextA();
        ::ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return Default();
    }
    case WM_SETCURSOR:
        if (m_cursor) {
            ::SetCursor(m_cursor);
            return TRUE;
        }
        return Default();
    default:
        return Default();
    }
}
