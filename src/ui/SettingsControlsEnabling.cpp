#include "ui/SettingsControlsEnabling.h"
#include "res/resource.h"

std::vector<ControlEnable> EnableSettingsControls(const SettingsEnableInputs& in) {
    return {
        {IDC_BROADCAST_DEFAULT, true},
        {IDC_PORT_DEFAULT, true},
        {IDC_APPLICATION_ID_DEFAULT, true},
        {IDC_BROADCAST_ADDRESS, true},
        {IDC_PORT, true},
        {IDC_APPLICATION_ID, true},
        {IDC_DESTINATION, true},
        {IDC_KEYB_USE_AUX, in.driverPresent && in.keyboardsFound > 1},
        {IDC_KEYB_SETUP, in.useAuxKeyboards},
        {IDC_KEYB_TEXTCMD_DEFAULT, true},
        {IDC_KEYB_TEXTCMD, true},
        {IDC_KEYB_RELEASE_CMD, true},
        {IDC_KEYB_MAIN_INDEX, true},
        {IDC_MOUSE_USE_AUX, in.driverPresent && in.miceFound > 1},
        {IDC_MOUSE_SETUP, in.useAuxMice},
        {IDC_MOUSE_TEXTCMD_DEFAULT, true},
        {IDC_MOUSE_TEXTCMD, true},
        {IDC_MOUSE_MAIN_INDEX, true},
    };
}

std::vector<ControlEnable> DisableSettingsControls() {
    std::vector<ControlEnable> list;
    for (int id : {IDC_BROADCAST_DEFAULT, IDC_PORT_DEFAULT, IDC_APPLICATION_ID_DEFAULT, IDC_BROADCAST_ADDRESS,
                   IDC_PORT, IDC_APPLICATION_ID, IDC_DESTINATION, IDC_KEYB_USE_AUX, IDC_KEYB_SETUP,
                   IDC_KEYB_TEXTCMD_DEFAULT, IDC_KEYB_TEXTCMD, IDC_KEYB_RELEASE_CMD, IDC_KEYB_MAIN_INDEX,
                   IDC_MOUSE_USE_AUX, IDC_MOUSE_SETUP, IDC_MOUSE_TEXTCMD_DEFAULT, IDC_MOUSE_TEXTCMD,
                   IDC_MOUSE_MAIN_INDEX})
        list.push_back({id, false});
    return list;
}
