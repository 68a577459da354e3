#pragma once
// Test stand-ins for the setup dialog, the Connections dialog and the About box: they record their calls, and
// the setup stand-in hands a window of its own to the ready callback and notes what the driver saw meanwhile.
#include "ui/DialogHooks.h"

#include <functional>

struct FakeDialogHooks {
    int aboutShown = 0;
    int setupRuns = 0;
    int connectionsRuns = 0;
    DeviceClass setupClass = DEVICE_CLASS_NONE;
    bool setupSavesOnOk = true;
    HWND setupWindow = nullptr;
    // Run while the stand-in setup dialog is "modal", after its window was made ready.
    std::function<void(HWND setupWindow)> duringSetup;
    // Run while the stand-in About box is "modal".
    std::function<void()> duringAbout;
};

FakeDialogHooks& DialogHooksRecord();
