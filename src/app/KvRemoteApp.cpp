#include "app/KvRemoteApp.h"

#include "app/CommandLine.h"
#include "app/ConfigLocation.h"
#include "app/ConsoleWin32.h"
#include "app/FileSystemWin32.h"
#include "app/ProcessArgumentsWin32.h"
#include "resource.h"
#include "ui/AppServicesWin32.h"
#include "ui/KvRemoteDlg.h"

#include <commctrl.h>
#include <winsock2.h>

CkvRemoteApp::CkvRemoteApp() = default;

CkvRemoteApp::~CkvRemoteApp() {
    delete m_pMainDlg;
}

bool CkvRemoteApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = 8;
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);
    CWinApp::InitInstance();

    const CommandLineOptions options = ParseCommandLine(ProcessArguments());
    FileSystemWin32 fileSystem;
    std::string message;
    if (!CheckCommandLine(options.iniName, options.alternateDir, fileSystem, message)) {
        if (AttachParentConsole())
            WriteConsoleError(message);
        ::MessageBoxA(nullptr, message.c_str(), WinFxAppTitle().c_str(), MB_OK | MB_ICONERROR);
        return false;
    }

    const ConfigLocation location = ResolveIniPath(options.iniName, options.alternateDir, fileSystem);
    m_iniPath = location.iniPath;
    m_configFolder = location.configFolder;

    m_names.Fill();

    WSADATA wsa{};
    const int started = ::WSAStartup(MAKEWORD(1, 1), &wsa);
    if (started != 0 || wsa.wVersion != MAKEWORD(1, 1)) {
        if (started == 0)
            ::WSACleanup();
        ::MessageBoxA(nullptr, LoadResourceText(IDS_WINSOCK_FAILED).c_str(), WinFxAppTitle().c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
        return false;
    }

    if (!CreateMainDialog()) {
        // Exit chosen while the start-up splash was up: the quit message is queued, let the loop
        // end normally.
        return m_exitDuringStart;
    }
    if (m_pMainDlg->Members().broadcastAddress.empty()) {
        m_pMainDlg->ShowWindow(SW_SHOW);
        ::SetForegroundWindow(m_pMainDlg->m_hWnd);
    } else {
        m_pMainDlg->ShowWindow(SW_HIDE);
    }
    return true;
}

bool CkvRemoteApp::CreateMainDialog() {
    m_services = std::make_unique<ProgramServices>(m_iniPath, m_names);
    m_pMainDlg = new CkvRemoteDlg(m_services->View());
    m_pMainWnd = m_pMainDlg;
    if (m_pMainDlg->Create(IDD_KVREMOTE_DIALOG, nullptr) && m_pMainDlg->m_hWnd)
        return true;
    m_exitDuringStart = m_pMainDlg->ExitRequested();
    delete m_pMainDlg;
    m_pMainDlg = nullptr;
    m_pMainWnd = nullptr;
    return false;
}

int CkvRemoteApp::ExitInstance() {
    delete m_pMainDlg;
    m_pMainDlg = nullptr;
    m_pMainWnd = nullptr;
    m_services.reset();
    return CWinApp::ExitInstance();
}
