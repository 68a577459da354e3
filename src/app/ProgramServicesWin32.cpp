#include "app/ProgramServicesWin32.h"

#include "capture/InterceptionDriver.h"
#include "remote/BroadcastDetectionWin32.h"
#include "winfx/WinApp.h"

int MessageBoxesWin32::Show(HWND owner, const std::string& text, UINT type) {
    return ::MessageBoxA(owner, text.c_str(), WinFxAppTitle().c_str(), type);
}

ProgramServices::ProgramServices(const std::string& iniPath, const SettingNames& names)
    : m_store(iniPath), m_settings(m_store, names),
      m_capture(InterceptionDriver(), m_devices, m_sink, m_threads, CaptureServicesWin32()),
      m_view{m_settings,           iniPath, m_devices, m_capture,
             InterceptionDriver(), m_link,  m_boxes,   &DetectBroadcastAddressWin32} {
    ClearDeviceTable(m_devices);
}
