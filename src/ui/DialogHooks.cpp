// The setup dialog and the About box as the main dialog runs them.
#include "ui/DialogHooks.h"

#include "ui/AboutDlg.h"
#include "ui/AuxDevicesDlg.h"
#include "ui/ConnectionsDlg.h"

INT_PTR RunDevicesSetupDialog(CWnd* parent, DeviceClass deviceClass, AppServices& services,
                              const SetupWindowReady& ready, bool saveOnOk) {
    CAuxDevicesDlg dialog(
        parent, deviceClass,
        AuxDevicesModel{services.devices, services.settings, services.iniPath, services.boxes, saveOnOk},
        ready);
    return dialog.DoModal();
}

INT_PTR RunConnectionsDialog(CWnd* parent, AppServices& services, const std::function<void(HWND)>& ready) {
    CConnectionsDlg dialog(parent,
                           ConnectionsModel{services.settings, services.iniPath, services.boxes,
                                            services.connections, ComputerNameWin32()},
                           ready);
    return dialog.DoModal();
}

void ShowAboutBox(CWnd* parent) {
    // No parent: owned, like every modal dialog without one, by the window in front of the main
    // window. It also ends at once when the main window is destroyed under it.
    CAboutDlg dialog(parent ? parent->m_hWnd : nullptr);
    dialog.DoModal();
}
