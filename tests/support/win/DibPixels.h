#pragma once
// 32-bit pixels for Wine suites: a top-down DIB section to draw into and read back, and the
// pixels of any bitmap read through GetDIBits.
#include <windows.h>

#include <cstdint>
#include <vector>

namespace uitest {

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

// The 32-bit top-down pixels (0x00RRGGBB) of a bitmap of width x height; a failed read is a test
// failure and gives zeros.
std::vector<uint32_t> BitmapPixels(HBITMAP bitmap, int width, int height);

} // namespace uitest
