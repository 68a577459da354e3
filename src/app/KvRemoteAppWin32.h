#pragma once
// CkvRemoteApp: the application object. Start-up (command line, configuration location, setting
// names, the socket layer, the main dialog) and the clean-up after the message loop.
#include "app/CommandLine.h"
#include "settings/SettingNames.h"
#include "winfx/WinApp.h"

#include <memory>
#include <string>

class CkvRemoteDlg;
class ProgramServices;
class WinsockSession;

class CkvRemoteApp : public CWinApp {
public:
    CkvRemoteApp();
    ~CkvRemoteApp() override;

    bool InitInstance() override;
    int ExitInstance() override;

    const std::string& IniPath() const { return m_iniPath; }

private:
    bool CreateMainDialog(const CommandLineOptions& options);

    std::string m_iniPath;
    std::string m_fallbackBaseFolder; // never assigned: the base folder when none can be asked for
    std::string m_configFolder;
    bool m_exitDuringStart = false;
    SettingNames m_names;
    std::unique_ptr<WinsockSession> m_winsock;
    std::unique_ptr<ProgramServices> m_services;
    std::unique_ptr<CkvRemoteDlg> m_mainDlg;
};
