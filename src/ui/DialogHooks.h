#pragma once
// The dialogs the main dialog opens but does not own: the auxiliary devices setup dialog, the
// Connections dialog and the About box. They sit behind these functions (DialogHooks.cpp) so that the dialogs
// can be swapped in without touching the main dialog.
#include "capture/DeviceClass.h"
#include "ui/AppServices.h"
#include "winfx/Wnd.h"

#include <functional>

// Called by the setup dialog with its window as soon as that window exists (WM_INITDIALOG), so
// captured strokes can be sent to it.
using SetupWindowReady = std::function<void(HWND setupWindow)>;

// Runs the setup dialog of deviceClass modally with parent as its parent. Returns the modal result.
// saveOnOk false: its OK changes the device table only, not the configuration file.
INT_PTR RunDevicesSetupDialog(CWnd* parent, DeviceClass deviceClass, AppServices& services,
                              const SetupWindowReady& ready, bool saveOnOk = true);

// Runs the Connections dialog modally with parent as its parent; ready gets its window as soon as it
// exists. Returns the modal result (IDOK: saved and applied).
INT_PTR RunConnectionsDialog(CWnd* parent, AppServices& services, const std::function<void(HWND)>& ready);

// Shows the About box modally (the start-up splash and the About menu items).
void ShowAboutBox(CWnd* parent);
