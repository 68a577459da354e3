#pragma once
// Windows adapters of the capture side: the thread starter, the PostMessageA sink and the platform
// functions of CaptureServices.
#include "capture/AuxInputSink.h"
#include "capture/CaptureController.h"
#include "capture/ThreadStarter.h"

// Creates the thread suspended, sets THREAD_PRIORITY_HIGHEST, resumes it.
class ThreadStarterWin32 : public ThreadStarter {
public:
    std::uintptr_t Start(Body body, void* arg) override;
    bool Join(std::uintptr_t handle, unsigned long timeoutMs) override;
};

// PostMessageA(target, WM_AUX_INPUT, wParam, lParam).
class AuxInputSinkWin32 : public AuxInputSink {
public:
    void Post(std::uintptr_t target, std::uint32_t wParam, std::int32_t lParam) override;
};

std::uint32_t MapScanCodeWin32(std::uint32_t scanCode);                           // MapVirtualKeyA(scan, 1)
std::uint32_t TickCountWin32();                                                   // GetTickCount
void PauseWin32();                                                                // Sleep(1)
void WideToAnsiWin32(const char16_t* text, std::size_t length, std::string& out); // CP_THREAD_ACP
// GetAsyncKeyState of every virtual key, as the scan codes and buttons that give them.
void ReadWindowsKeysWin32(WindowsKeys& keys);

// From now on an unhandled exception on any thread, or std::terminate, sets both driver filters to 0
// (when capture armed the reset) before the crash goes on as before. Once, at start.
void InstallCrashHandlersWin32();

// MapScanCodeWin32, TickCountWin32, WideToAnsiWin32, PauseWin32 and ReadWindowsKeysWin32 together.
CaptureServices CaptureServicesWin32();
