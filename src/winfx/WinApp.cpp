#include "winfx/WinApp.h"

#include "winfx/DataExchangeRules.h"
#include "winfx/MessageLoop.h"

namespace {

CWinApp* g_app = nullptr;

} // namespace

CWinApp::CWinApp() {
    g_app = this;
    WinFxSetMainWindowSource(
        []() -> HWND { return g_app && g_app->m_pMainWnd ? g_app->m_pMainWnd->m_hWnd : nullptr; });
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

bool CWinApp::InitInstance() {
    return true;
}

int CWinApp::ExitInstance() {
    return m_exitCode;
}

int CWinApp::Run() {
    const WinFxLoopEnd end = WinFxRunLoop([] { return false; });
    m_exitCode = end.how == WinFxLoopEnd::Quit ? end.quitCode : -1;
    return m_exitCode;
}

CWinApp* WinFxApp() {
    return g_app;
}

HINSTANCE WinFxResourceInstance() {
    if (g_app && g_app->m_hInstance)
        return g_app->m_hInstance;
    return ::GetModuleHandleA(nullptr);
}

std::string WinFxAppTitle() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return AppTitleFromModulePath(std::string_view(path, length < MAX_PATH ? length : MAX_PATH));
}

int WinFxMain(HINSTANCE hInstance, int nCmdShow) {
    CWinApp* app = WinFxApp();
    if (!app)
        return 1;
    app->m_hInstance = hInstance;
    app->m_nCmdShow = nCmdShow;
    const bool started = app->InitInstance();
    if (started)
        app->Run();
    const int code = app->ExitInstance();
    return started ? code : 1;
}
