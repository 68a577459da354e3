#include "ui/Label.h"

#include <shellapi.h>

CLabel::CLabel()
    : m_textColour(::GetSysColor(COLOR_WINDOWTEXT)),
      m_background(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE))),
      m_blinkBackground(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE))) {
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof m_logFont, &m_logFont);
    m_font = ::CreateFontIndirectA(&m_logFont);
}

CLabel::~CLabel() {
    // The control must not keep drawing with a font that is about to go.
    if (m_hWnd)
        ::SendMessageA(m_hWnd, WM_SETFONT, 0, FALSE);
    UnsubclassWindow();
    if (m_font)
        ::DeleteObject(m_font);
    if (m_background)
        ::DeleteObject(m_background);
    if (m_blinkBackground)
        ::DeleteObject(m_blinkBackground);
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
    HFONT old = m_font;
    m_font = ::CreateFontIndirectA(&m_logFont);
    if (m_hWnd) {
        // The static selects its own font after asking for colours, so it is told the font too;
        // this happens before the old one is deleted so it never holds a dead handle.
        ::SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    }
    if (old)
        ::DeleteObject(old);
    if (m_hWnd)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CLabel::SetTextColour(COLORREF colour) {
    m_textColour = colour;
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CLabel::SetBackground(HBRUSH brush, HBRUSH blinkBrush) {
    if (brush) {
        ::DeleteObject(m_background);
        m_background = brush;
    }
    if (blinkBrush) {
        ::DeleteObject(m_blinkBackground);
        m_blinkBackground = blinkBrush;
    }
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
        ::SelectObject(dc, m_font);
    ::SetTextColor(dc, m_textColour);
    ::SetBkMode(dc, TRANSPARENT);
    if (m_blinkMode == BlinkBackground && !m_blinkToggle)
        return m_blinkBackground;
    return m_background;
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
