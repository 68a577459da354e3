#pragma once
// CWinApp: the application object. The program derives one, creates a single global instance and
// calls WinFxMain from WinMain.
#include "winfx/Wnd.h"

class CWinApp {
public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    HINSTANCE m_hInstance = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    // The main window; the filter chain stops there. Not owned by the framework.
    CWnd* m_pMainWnd = nullptr;

    // Start-up; false ends the program at once (exit code 1).
    virtual bool InitInstance();
    // Clean-up after the loop; returns the exit code (the base: the code of the WM_QUIT).
    virtual int ExitInstance();
    // The thread's message loop; returns the WM_QUIT code, or -1 when GetMessage failed.
    int Run();

protected:
    int m_exitCode = 0;
};

// The application object, or nullptr before it is constructed.
CWinApp* WinFxApp();

// The module the program's resources come from: the application's instance, else the executable.
HINSTANCE WinFxResourceInstance();

// The program's title: the executable's file name without extension (message box captions).
std::string WinFxAppTitle();

// InitInstance; if it succeeds, Run; then ExitInstance. Returns the exit code, 1 when
// InitInstance failed (or there is no application object).
int WinFxMain(HINSTANCE hInstance, int nCmdShow);
