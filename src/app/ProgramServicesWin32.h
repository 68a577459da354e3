#pragma once
// The program's real services: the Windows profile store on the INI path, the device table and
// capture over interception.dll, KvCom as the network link, MessageBoxA, the Run value and the
// network thread of the connections.
#include "app/CommandLine.h"
#include "settings/ProfileStoreWin32.h"
#include "settings/SettingNames.h"
#include "settings/RunValueStoreWin32.h"
#include "settings/SignInEntryWin32.h"
#include "capture/CaptureWin32.h"
#include "connections/NetworkThreadWin32.h"
#include "remote/KvComLinkWin32.h"
#include "ui/AppServices.h"

#include <string>

class MessageBoxesWin32 : public MessageBoxes {
public:
    int Show(HWND owner, const std::string& text, UINT type) override;     // MessageBoxA
    int ShowUtf8(HWND owner, const std::string& text, UINT type) override; // MessageBoxW
};

// Owns everything the main dialog is handed; lives as long as the application object needs it.
class ProgramServices {
public:
    // options: what the program was started with, for the sign-in entry's command.
    ProgramServices(const std::string& iniPath, const SettingNames& names, const CommandLineOptions& options);
    ProgramServices(const ProgramServices&) = delete;
    ProgramServices& operator=(const ProgramServices&) = delete;

    AppServices& View() { return m_view; }

private:
    ProfileStoreWin32 m_store;
    Settings m_settings;
    DeviceTable m_devices;
    AuxInputSinkWin32 m_sink;
    ThreadStarterWin32 m_threads;
    CaptureController m_capture;
    KvComLink m_link;
    MessageBoxesWin32 m_boxes;
    RunValueStoreWin32 m_runValue;
    SignInEntry m_signIn;
    NetworkThreadWin32 m_connections;
    AppServices m_view;
};
