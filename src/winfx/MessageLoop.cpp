#include "winfx/MessageLoop.h"

#include "winfx/Wnd.h"

namespace {

HWND (*g_mainWindow)() = nullptr;

} // namespace

void WinFxSetMainWindowSource(HWND (*source)()) {
    g_mainWindow = source;
}

bool WinFxPreTranslate(MSG* msg) {
    HWND mainWnd = g_mainWindow ? g_mainWindow() : nullptr;
    for (HWND hWnd = msg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
        if (CWnd* wnd = CWnd::FromHandle(hWnd); wnd && wnd->PreTranslateMessage(msg))
            return true;
        if (hWnd == mainWnd)
            break;
    }
    return false;
}

void WinFxPumpMessage(MSG* msg) {
    if (WinFxPreTranslate(msg))
        return;
    ::TranslateMessage(msg);
    ::DispatchMessageA(msg);
}

WinFxLoopEnd WinFxRunLoop(const std::function<bool()>& done) {
    MSG msg;
    while (!done()) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1)
            return {WinFxLoopEnd::Error, 0};
        if (got == 0)
            return {WinFxLoopEnd::Quit, static_cast<int>(msg.wParam)};
        WinFxPumpMessage(&msg);
    }
    return {WinFxLoopEnd::Done, 0};
}
