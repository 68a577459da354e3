#include "ui/Led.h"

#include "res/resource.h"
#include "ui/LedFlash.h"
#include "winfx/WinApp.h"

namespace {

constexpr COLORREF kTransparent = RGB(255, 0, 255);

// A memory DC compatible with another one, holding one bitmap for its lifetime; the DC's
// original bitmap is selected back before the DC goes. The bitmap is deleted with it when owned.
class MemoryDc {
public:
    MemoryDc(HDC compatibleWith, HBITMAP bitmap, bool ownsBitmap)
        : m_dc(::CreateCompatibleDC(compatibleWith)), m_bitmap(bitmap), m_owns(ownsBitmap) {
        if (m_dc && m_bitmap)
            m_old = ::SelectObject(m_dc, m_bitmap);
    }
    ~MemoryDc() {
        if (m_dc) {
            if (m_old)
                ::SelectObject(m_dc, m_old);
            ::DeleteDC(m_dc);
        }
        if (m_owns && m_bitmap)
            ::DeleteObject(m_bitmap);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    bool Ok() const { return m_dc && m_bitmap && m_old; }
    operator HDC() const { return m_dc; }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    bool m_owns;
    HGDIOBJ m_old = nullptr;
};

} // namespace

CLed::CLed() : m_strip(::LoadBitmapA(WinFxResourceInstance(), MAKEINTRESOURCEA(IDB_LEDS))) {}

CLed::~CLed() {
    // Give the control back its procedure before the strip goes, so no paint can reach it.
    UnsubclassWindow();
    if (m_strip)
        ::DeleteObject(m_strip);
}

void CLed::DrawLed(int state, HDC dc, int colour, int shape) {
    if (!dc || !m_strip || !m_hWnd)
        return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const LedPoint at = LedPlacement(client.right - client.left, client.bottom - client.top);
    const LedPoint cell = LedCell(state, colour, shape);
    constexpr int size = kLedCellSize;

    MemoryDc strip(dc, m_strip, false);
    MemoryDc mask(dc, ::CreateBitmap(size, size, 1, 1, nullptr), true);
    MemoryDc work(dc, ::CreateCompatibleBitmap(dc, size, size), true);
    if (!strip.Ok() || !mask.Ok() || !work.Ok())
        return;

    // The background that shows through the transparent pixels.
    ::BitBlt(work, 0, 0, size, size, dc, client.left + at.x, client.top + at.y, SRCCOPY);
    // Magenta becomes 1 in the mask, the picture 0.
    ::SetBkColor(strip, kTransparent);
    ::BitBlt(mask, 0, 0, size, size, strip, cell.x, cell.y, SRCCOPY);
    // Mask 1 keeps (white), 0 clears (black) when the mask meets the colour bitmap.
    ::SetBkColor(work, RGB(255, 255, 255));
    ::SetTextColor(work, RGB(0, 0, 0));
    ::BitBlt(work, 0, 0, size, size, strip, cell.x, cell.y, SRCINVERT);
    ::BitBlt(work, 0, 0, size, size, mask, 0, 0, SRCAND);
    ::BitBlt(work, 0, 0, size, size, strip, cell.x, cell.y, SRCINVERT);

    ::BitBlt(dc, client.left + at.x, client.top + at.y, size, size, work, 0, 0, SRCCOPY);
}

void CLed::Redraw() {
    if (!m_hWnd)
        return;
    if (HDC dc = ::GetDC(m_hWnd)) {
        DrawLed(m_state, dc, m_colour, m_shape);
        ::ReleaseDC(m_hWnd, dc);
    }
}

void CLed::Flash() {
    if (!m_hWnd)
        return;
    if (m_timerRunning)
        KillTimer(kLedTimerId);
    m_timerRunning = true;
    m_state = LED_ON;
    Redraw();
    SetTimer(kLedTimerId, kLedFlashMs);
}

LRESULT CLed::WindowProc(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = ::BeginPaint(m_hWnd, &ps)) {
            DrawLed(m_state, dc, m_colour, m_shape);
            ::EndPaint(m_hWnd, &ps);
        }
        return 0;
    }
    case WM_ERASEBKGND:
        // Nothing is erased: the transparent pixels show what the parent painted.
        return TRUE;
    case WM_TIMER:
        if (wParam == kLedTimerId) {
            m_state = LED_OFF;
            Redraw();
            KillTimer(kLedTimerId);
            m_timerRunning = false;
        }
        return Default();
    default:
        return Default();
    }
}
