#include "app/KvRemoteAppWin32.h"

#include "app/CommandLine.h"
#include "app/ConfigLocation.h"
#include "app/ConsoleWin32.h"
#include "app/FileSystemWin32.h"
#include "app/ProcessArgumentsWin32.h"
#include "app/ProgramServicesWin32.h"
#include "capture/CaptureWin32.h"
#include "res/resource.h"
#include "winfx/StringTable.h"
#include "ui/KvRemoteDlg.h"

#include "winfx/WinsockSession.h"

#include <commctrl.h>

CkvRemoteApp::CkvRemoteApp() = default;

// The main dialog goes before the services it was handed, and the sockets after both.
CkvRemoteApp::~CkvRemoteApp() {
    m_mainDlg.reset();
    m_services.reset();
    m_winsock.reset();
}

bool CkvRemoteApp::InitInstance() {
    // Before anything can set a driver filter.
    InstallCrashHandlersWin32();
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);
    CWinApp::InitInstance();

    const CommandLineOptions options = ParseCommandLine(ProcessArguments());
    FileSystemWin32 fileSystem;
    std::string message;
    if (!CheckCommandLine(options.iniName, options.alternateDir, fileSystem, StringTableTexts(), message)) {
        if (AttachParentConsole())
            WriteConsoleError(FormatConsoleLine(StringTableTexts(), message));
        ::MessageBoxA(nullptr, message.c_str(), WinFxAppTitle().c_str(), MB_OK | MB_ICONERROR);
        return false;
    }

    const ConfigLocation location = ResolveIniPath(options.iniName, options.alternateDir, fileSystem);
    m_iniPath = location.iniPath;
    m_configFolder = location.configFolder;

    m_names.Fill();

    m_winsock = std::make_unique<WinsockSession>(MAKEWORD(1, 1));
    if (!m_winsock->Ok()) {
        m_winsock.reset();
        ::MessageBoxA(nullptr, LoadResourceString(IDS_WINSOCK_FAILED).c_str(), WinFxAppTitle().c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
        return false;
    }

    if (!CreateMainDialog(options)) {
        // Exit chosen while the start-up splash was up: the quit message is queued, let the loop
        // end normally.
        return m_exitDuringStart;
    }
    m_mainDlg->ShowAfterStart();
    return true;
}

bool CkvRemoteApp::CreateMainDialog(const CommandLineOptions& options) {
    m_services = std::make_unique<ProgramServices>(m_iniPath, m_names, options);
    m_mainDlg = std::make_unique<CkvRemoteDlg>(m_services->View());
    m_pMainWnd = m_mainDlg.get();
    if (m_mainDlg->Create(IDD_KVREMOTE_DIALOG, nullptr) && m_mainDlg->m_hWnd)
        return true;
    m_exitDuringStart = m_mainDlg->ExitRequested();
    m_mainDlg.reset();
    m_pMainWnd = nullptr;
    return false;
}

int CkvRemoteApp::ExitInstance() {
    m_mainDlg.reset();
    m_pMainWnd = nullptr;
    m_services.reset();
    m_winsock.reset();
    return CWinApp::ExitInstance();
}
