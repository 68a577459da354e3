#pragma once
// Which settings controls are enabled while editing, and which are disabled while hidden.
// Each list is in the order the dialog applies it.
#include <vector>

struct ControlEnable {
    int controlId;
    bool enabled;
    bool operator==(const ControlEnable&) const = default;
};

struct SettingsEnableInputs {
    bool driverPresent = false;
    int keyboardsFound = 0;
    int miceFound = 0;
    bool useAuxKeyboards = false;
    bool useAuxMice = false;
};

// The enabling decisions of EnableSettingsControls. The dialog also empties "Last command sent"
// (IDC_LAST_COMMAND) after the network controls, and afterwards gives the broadcast address the focus with
// its whole text selected.
std::vector<ControlEnable> EnableSettingsControls(const SettingsEnableInputs& inputs);

// Every editing control off; OK, Apply, Cancel, the status lines and 1012 are left alone.
std::vector<ControlEnable> DisableSettingsControls();
