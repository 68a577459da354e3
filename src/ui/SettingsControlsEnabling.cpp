#include "ui/SettingsControlsEnabling.h"
#include "ui/SettingsControlIds.h"

using namespace settings_ctl;

std::vector<ControlEnable> EnableSettingsControls(const SettingsEnableInputs& in) {
    return {
        {kBroadcastDefault, true},
        {kPortDefault, true},
        {kApplicationIdDefault, true},
        {kBroadcastAddress, true},
        {kPort, true},
        {kApplicationId, true},
        {kDestination, true},
        {kUseAuxKeyboards, in.driverPresent && in.keyboardsFound > 1},
        {kKeyboardsSetup, in.useAuxKeyboards},
        {kKeyboardTextCmdDefault, true},
        {kKeyboardTextCmd, true},
        {kKeyboardMainIndex, true},
        {kUseAuxMice, in.driverPresent && in.miceFound > 1},
        {kMiceSetup, in.useAuxMice},
        {kMouseTextCmdDefault, true},
        {kMouseTextCmd, true},
        {kMouseMainIndex, true},
    };
}

std::vector<ControlEnable> DisableSettingsControls() {
    std::vector<ControlEnable> list;
    for (int id :
         {kBroadcastDefault, kPortDefault, kApplicationIdDefault, kBroadcastAddress, kPort, kApplicationId,
          kDestination, kUseAuxKeyboards, kKeyboardsSetup, kKeyboardTextCmdDefault, kKeyboardTextCmd,
          kKeyboardMainIndex, kUseAuxMice, kMiceSetup, kMouseTextCmdDefault, kMouseTextCmd, kMouseMainIndex})
        list.push_back({id, false});
    return list;
}
