#include "ui/Led.h"

#include "res/resource.h"
#include "winfx/WinApp.h"

namespace {

constexpr COLORREF kTransparent = RGB(255, 0, 255);

} // namespace

CLed::CLed() : m_strip(::LoadBitmapA(WinFxResourceInstance(), MAKEINTRESOURCEA(IDB_LEDS))) {}

CLed::~CLed() {
    // Give the control back its procedure before the strip goes, so no paint can reach it.
    UnsubclassWindow();
}

void CLed::DrawLed(int state, HDC dc, int colour, int shape) {
    if (!dc || !m_strip || !m_hWnd)
        return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const LedPoint at = LedPlacement(client.right - client.left, client.bottom - client.top);
    const LedPoint cell = LedCell(state, colour, shape);
    constexpr int size = kLedCellSize;

    // Each bitmap outlives its DC, and each selection ends before its DC goes.
    const ScopedBitmap maskBitmap(::CreateBitmap(size, size, 1, 1, nullptr));
    const ScopedBitmap workBitmap(::CreateCompatibleBitmap(dc, size, size));
    const ScopedMemoryDC strip(dc), mask(dc), work(dc);
    const ScopedSelectObject stripSelected(strip, m_strip.Get());
    const ScopedSelectObject maskSelected(mask, maskBitmap.Get());
    const ScopedSelectObject workSelected(work, workBitmap.Get());
    if (!stripSelected.Ok() || !maskSelected.Ok() || !workSelected.Ok())
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
    const ScopedGetDC dc(m_hWnd);
    DrawLed(m_state, dc, m_colour, m_shape);
}

void CLed::Flash() {
    if (!m_hWnd)
        return;
    m_lit.Light(::GetTickCount());
    m_state = LED_ON;
    Redraw();
    // Restarts a running switch-off.
    SetTimer(LedTimer::Off, kLedLitMs);
}

void CLed::OnOffTimer() {
    const uint32_t now = ::GetTickCount();
    if (m_lit.Lit() && !m_lit.GoOutIfDue(now)) {
        // Early by the tick count's granularity: wait for the rest.
        SetTimer(LedTimer::Off, m_lit.RemainingMs(now));
        return;
    }
    KillTimer(LedTimer::Off);
    m_state = LED_OFF;
    Redraw();
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
        if (wParam == TimerIdValue(LedTimer::Off))
            OnOffTimer();
        return Default();
    default:
        return Default();
    }
}
