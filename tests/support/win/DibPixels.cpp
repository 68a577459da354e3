#include "DibPixels.h"

#include <gtest/gtest.h>

namespace uitest {

namespace {

// The header of a 32-bit top-down DIB of width x height.
BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

} // namespace

Dib::Dib(int width, int height) : m_width(width), m_height(height) {
    BITMAPINFO info = TopDown32(width, height);
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

std::vector<uint32_t> BitmapPixels(HBITMAP bitmap, int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    BITMAPINFO info = TopDown32(width, height);
    HDC dc = GetDC(nullptr);
    const int lines =
        GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(lines, height);
    return pixels;
}

} // namespace uitest
