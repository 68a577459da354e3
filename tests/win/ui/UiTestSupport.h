#pragma once
// Helpers of the dialog suites: a bounded message pump (X11 is asynchronous), a 32-bit DIB to draw
// into and read back, and a hidden parent window with one static control.
#include <windows.h>

#include <cstdint>
#include <functional>

namespace uitest {

// Dispatches messages through the program's filter chain until done() or timeoutMs passed.
// Returns done() at the end.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
inline void Pump(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

// A 32-bit top-down DIB section selected into a memory DC.
class Dib {
public:
    Dib(int width, int height);
    ~Dib();
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;

    HDC dc() const { return m_dc; }
    COLORREF At(int x, int y) const;
    void Set(int x, int y, COLORREF colour);

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    uint32_t* m_bits = nullptr;
};

// A popup window (hidden unless visible) holding a static control with id 100 of the given
// client size.
class StaticHost {
public:
    StaticHost(int width, int height, bool visible = false);
    ~StaticHost();
    StaticHost(const StaticHost&) = delete;
    StaticHost& operator=(const StaticHost&) = delete;

    HWND parent() const { return m_parent; }
    HWND control() const { return m_control; }
    static constexpr int kControlId = 100;

private:
    HWND m_parent = nullptr;
    HWND m_control = nullptr;
};

} // namespace uitest
