#include "Screenshot.h"

#include <windows.h>

namespace kve2e {

namespace {

// Owning wrappers so every GDI object is released on each way out.
struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ~ScreenDc() { ReleaseDC(nullptr, dc); }
};
struct MemoryDc {
    HDC dc;
    explicit MemoryDc(HDC like) : dc(CreateCompatibleDC(like)) {}
    ~MemoryDc() { DeleteDC(dc); }
};
struct Bitmap {
    HBITMAP bitmap = nullptr;
    ~Bitmap() { DeleteObject(bitmap); }
};

} // namespace

RgbImage CaptureScreen() {
    RgbImage image;
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (w <= 0 || h <= 0) {
        return image;
    }
    ScreenDc screen;
    MemoryDc memory(screen.dc);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap dib{CreateDIBSection(screen.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0)};
    if (dib.bitmap == nullptr || bits == nullptr) {
        return image;
    }
    HGDIOBJ old = SelectObject(memory.dc, dib.bitmap);
    const BOOL copied = BitBlt(memory.dc, 0, 0, w, h, screen.dc, x, y, SRCCOPY | CAPTUREBLT);
    SelectObject(memory.dc, old);
    if (!copied) {
        return image;
    }
    GdiFlush();
    image.width = w;
    image.height = h;
    image.rgb.resize(static_cast<size_t>(w) * h * 3);
    const auto* bgrx = static_cast<const uint8_t*>(bits);
    for (size_t i = 0, n = static_cast<size_t>(w) * h; i < n; ++i) {
        image.rgb[i * 3 + 0] = bgrx[i * 4 + 2];
        image.rgb[i * 3 + 1] = bgrx[i * 4 + 1];
        image.rgb[i * 3 + 2] = bgrx[i * 4 + 0];
    }
    return image;
}

testing::AssertionResult Screenshot(const std::filesystem::path& path) {
    const RgbImage image = CaptureScreen();
    if (image.width == 0) {
        return testing::AssertionFailure() << "cannot capture the screen (error " << GetLastError() << ")";
    }
    if (!WritePng(path, image)) {
        return testing::AssertionFailure() << "cannot write the screenshot " << path.string();
    }
    return testing::AssertionSuccess();
}

} // namespace kve2e
