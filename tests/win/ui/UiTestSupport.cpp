#include "UiTestSupport.h"

#include "winfx/MessageLoop.h"

namespace uitest {

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs)
            break;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                return done();
            }
            WinFxPumpMessage(&msg);
        }
    }
    return done();
}

Dib::Dib(int width, int height) : m_width(width), m_height(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_dc = ::CreateCompatibleDC(nullptr);
    m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<uint32_t*>(bits);
    m_old = ::SelectObject(m_dc, m_bitmap);
}

Dib::~Dib() {
    ::SelectObject(m_dc, m_old);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
}

COLORREF Dib::At(int x, int y) const {
    ::GdiFlush();
    const uint32_t p = m_bits[y * m_width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

void Dib::Set(int x, int y, COLORREF colour) {
    ::GdiFlush();
    m_bits[y * m_width + x] = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

StaticHost::StaticHost(int width, int height, bool visible) {
    m_parent = ::CreateWindowExA(0, "STATIC", "host", WS_POPUP | (visible ? WS_VISIBLE : 0), 0, 0, width + 40,
                                 height + 40, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    m_control = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, width, height, m_parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlId)),
                                  ::GetModuleHandleA(nullptr), nullptr);
}

StaticHost::~StaticHost() {
    if (m_parent)
        ::DestroyWindow(m_parent);
}

} // namespace uitest
