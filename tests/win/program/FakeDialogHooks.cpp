#include "FakeDialogHooks.h"

FakeDialogHooks& DialogHooksRecord() {
    static FakeDialogHooks record;
    return record;
}

INT_PTR RunDevicesSetupDialog(CWnd* parent, DeviceClass deviceClass, AppServices&,
                              const SetupWindowReady& ready, bool saveOnOk) {
    FakeDialogHooks& record = DialogHooksRecord();
    ++record.setupRuns;
    record.setupSavesOnOk = saveOnOk;
    record.setupClass = deviceClass;
    // An owned pop-up, as the real dialog is: the filter chain reaches the main dialog from it.
    HWND window = ::CreateWindowExA(0, "STATIC", "setup", WS_POPUP, 0, 0, 10, 10, parent->m_hWnd, nullptr,
                                    nullptr, nullptr);
    record.setupWindow = window;
    ready(window);
    if (record.duringSetup)
        record.duringSetup(window);
    ::DestroyWindow(window);
    return IDCANCEL;
}

void ShowAboutBox(CWnd*) {
    FakeDialogHooks& record = DialogHooksRecord();
    ++record.aboutShown;
    if (record.duringAbout)
        record.duringAbout();
}

INT_PTR RunConnectionsDialog(CWnd*, AppServices&, const std::function<void(HWND)>&) {
    ++DialogHooksRecord().connectionsRuns;
    return IDCANCEL;
}
