#pragma once
// Reading and writing all settings in the program's fixed order.
#include "settings/Settings.h"
#include "station/SettingsValues.h"
#include "capture/DeviceClass.h"
#include <functional>
#include <vector>

// "Network" and "RemoteCmd": address, port, application id, destination.
void LoadNetworkSettings(Settings& settings, SettingsValues& values);
// "Keyboards" or "Mouses": UseAux, MainIndex, TextCmd.
void LoadDeviceClassSettings(Settings& settings, DeviceClass deviceClass, DeviceClassSettings& values);

// The whole read: network values, then afterNetwork (where start-up starts capture, which loads the
// device lists), then keyboards and mice. The forcing rule is separate: see ForceUseAux.
void LoadSettings(Settings& settings, SettingsValues& values, const std::function<void()>& afterNetwork = {});

// Turns the UseAux flags off without a capture context, and a class's flag off when at most one of
// its devices has a hardware id. The file is not changed; the next save writes the forced value.
void ForceUseAux(SettingsValues& values, bool haveCaptureContext, int keyboardsWithHardwareId,
                 int mousesWithHardwareId);

// Writes the device list of one class; true when every write succeeded.
using SaveDevicesHook = std::function<bool(Settings&, DeviceClass)>;

struct SaveReport {
    // Setting ids of the writes that failed (the section id for a failed device-list save).
    std::vector<int> failed;
    bool Ok() const { return failed.empty(); }
};

// The whole save, in order: network, remote command, keyboards' device list, keyboards' values,
// mice's device list, mice's values. A failed write does not stop the later ones.
SaveReport SaveSettings(Settings& settings, const SettingsValues& values, const SaveDevicesHook& saveDevices);
