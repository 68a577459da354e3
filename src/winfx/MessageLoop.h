#pragma once
// The thread's message loop as a filter chain: each queued message is offered to the
// PreTranslateMessage of the CWnd objects from its window up the parent chain (GetParent, so
// owners too) to the main window, and dispatched only when none of them handled it. The main loop
// of CWinApp and the modal loop of CDialog both run it.
#include <windows.h>

#include <functional>

// Where the chain ends: the application object's main window, told by the application object (the
// chain runs to the top window while there is none).
void WinFxSetMainWindowSource(HWND (*source)());

// Offers msg to the filter chain; true when one of the windows handled it.
bool WinFxPreTranslate(MSG* msg);

// Pre-translates msg and, when no window handled it, translates and dispatches it.
void WinFxPumpMessage(MSG* msg);

struct WinFxLoopEnd {
    enum How { Done, Quit, Error } how;
    int quitCode; // wParam of the WM_QUIT for Quit
};

// Runs the loop until done() is true (checked before each wait and after each message), a
// WM_QUIT arrives (it is consumed; a caller that is not the outermost loop re-posts it), or
// GetMessage fails.
WinFxLoopEnd WinFxRunLoop(const std::function<bool()>& done);
