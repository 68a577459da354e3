#include "app/ProgramServicesWin32.h"

#include "capture/InterceptionDriver.h"
#include "remote/BroadcastDetectionWin32.h"
#include "winfx/StringTable.h"
#include "winfx/WideText.h"
#include "winfx/WinApp.h"

int MessageBoxesWin32::Show(HWND owner, const std::string& text, UINT type) {
    return ::MessageBoxA(owner, text.c_str(), WinFxAppTitle().c_str(), type);
}

int MessageBoxesWin32::ShowUtf8(HWND owner, const std::string& text, UINT type) {
    return ::MessageBoxW(owner, WideFromUtf8(text).c_str(), WideFromAnsi(WinFxAppTitle()).c_str(), type);
}

ProgramServices::ProgramServices(const std::string& iniPath, const SettingNames& names,
                                 const CommandLineOptions& options)
    : m_store(iniPath), m_settings(m_store, names),
      m_capture(InterceptionDriver(), m_devices, m_sink, m_threads, CaptureServicesWin32()),
      m_signIn(m_runValue, ProgramPathWin32(), SignInCommandWin32(options.alternateDir, options.iniName),
               SamePathWin32),
      m_view{m_settings,
             iniPath,
             m_devices,
             m_capture,
             InterceptionDriver(),
             m_link,
             m_boxes,
             &DetectBroadcastAddressWin32,
             m_signIn,
             DriverLibraryMessage(InterceptionDriverStatus(), InterceptionDriverArchitecture(),
                                  StringTableUtf8Texts()),
             m_connections} {
    ClearDeviceTable(m_devices);
}
