#include "capture/AuxInputMessage.h"
#include "capture/CaptureWin32.h"
#include <windows.h>

void AuxInputSinkWin32::Post(std::uintptr_t target, std::uint32_t wParam, std::int32_t lParam) {
    PostMessageA(reinterpret_cast<HWND>(target), WM_AUX_INPUT, static_cast<WPARAM>(wParam),
                 static_cast<LPARAM>(lParam));
}

std::uint32_t MapScanCodeWin32(std::uint32_t scanCode) {
    return MapVirtualKeyA(scanCode, MAPVK_VSC_TO_VK);
}

std::uint32_t TickCountWin32() {
    return GetTickCount();
}

void PauseWin32() {
    Sleep(1);
}

void WideToAnsiWin32(const char16_t* text, std::size_t length, std::string& out) {
    out.clear();
    const auto* wide = reinterpret_cast<const wchar_t*>(text);
    const int units = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(CP_THREAD_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return;
    }
    out.resize(static_cast<std::size_t>(bytes));
    WideCharToMultiByte(CP_THREAD_ACP, 0, wide, units, out.data(), bytes, nullptr, nullptr);
}

CaptureServices CaptureServicesWin32() {
    return {MapScanCodeWin32, TickCountWin32, WideToAnsiWin32, PauseWin32, ReadWindowsKeysWin32};
}
