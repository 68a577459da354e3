#include "station/SettingsFile.h"
#include "settings/SettingDefaults.h"
#include "settings/SettingIds.h"

namespace {

struct ClassIds {
    int section, useAux, mainIndex, textCmd;
    std::string_view defaultTextCmd;
};

ClassIds IdsOf(DeviceClass deviceClass) {
    if (deviceClass == DEVICE_CLASS_MICE)
        return {SECTION_MOUSES, KEY_MOUSES_USE_AUX, KEY_MOUSES_MAIN_INDEX, KEY_MOUSES_TEXT_CMD,
                kDefaultMouseTextCmd};
    return {SECTION_KEYBOARDS, KEY_KEYBOARDS_USE_AUX, KEY_KEYBOARDS_MAIN_INDEX, KEY_KEYBOARDS_TEXT_CMD,
            kDefaultKeyboardTextCmd};
}

void Check(SaveReport& report, bool ok, int id) {
    if (!ok)
        report.failed.push_back(id);
}

void SaveClass(Settings& settings, DeviceClass deviceClass, const DeviceClassSettings& values,
               const SaveDevicesHook& saveDevices, SaveReport& report) {
    ClassIds ids = IdsOf(deviceClass);
    if (saveDevices)
        Check(report, saveDevices(settings, deviceClass), ids.section);
    Check(report, settings.WriteSettingBool(ids.section, ids.useAux, values.useAux), ids.useAux);
    Check(report, settings.WriteSettingInt(ids.section, ids.mainIndex, values.mainIndex), ids.mainIndex);
    Check(report, settings.WriteSettingString(ids.section, ids.textCmd, values.textCmd), ids.textCmd);
    if (deviceClass != DEVICE_CLASS_KEYBOARDS)
        return;
    // Optional: a file gets the key only once the user gives it a value, or when it has it already.
    bool write = !values.releaseTextCmd.empty();
    if (!write) {
        constexpr std::string_view kMissing = "\x01missing";
        std::string stored;
        settings.ReadSettingString(ids.section, KEY_KEYBOARDS_RELEASE_TEXT_CMD, kMissing, stored);
        write = stored != kMissing;
    }
    if (write)
        Check(report,
              settings.WriteSettingString(ids.section, KEY_KEYBOARDS_RELEASE_TEXT_CMD, values.releaseTextCmd),
              KEY_KEYBOARDS_RELEASE_TEXT_CMD);
}

} // namespace

void LoadNetworkSettings(Settings& settings, SettingsValues& values) {
    settings.ReadSettingString(SECTION_NETWORK, KEY_BROADCAST_ADDRESS, kDefaultBroadcastAddress,
                               values.broadcastAddress);
    settings.ReadSettingInt(SECTION_NETWORK, KEY_PORT, kDefaultPort, values.port);
    settings.ReadSettingString(SECTION_NETWORK, KEY_APPLICATION_ID, kDefaultApplicationId,
                               values.applicationId);
    settings.ReadSettingString(SECTION_REMOTE_CMD, KEY_DESTINATION, kDefaultDestination, values.destination);
}

void LoadDeviceClassSettings(Settings& settings, DeviceClass deviceClass, DeviceClassSettings& values) {
    ClassIds ids = IdsOf(deviceClass);
    settings.ReadSettingBool(ids.section, ids.useAux, values.useAux);
    settings.ReadSettingInt(ids.section, ids.mainIndex, kDefaultMainIndex, values.mainIndex);
    settings.ReadSettingString(ids.section, ids.textCmd, ids.defaultTextCmd, values.textCmd);
    if (deviceClass == DEVICE_CLASS_KEYBOARDS)
        settings.ReadSettingString(ids.section, KEY_KEYBOARDS_RELEASE_TEXT_CMD, "", values.releaseTextCmd);
}

void LoadSettings(Settings& settings, SettingsValues& values, const std::function<void()>& afterNetwork) {
    LoadNetworkSettings(settings, values);
    if (afterNetwork)
        afterNetwork();
    LoadDeviceClassSettings(settings, DEVICE_CLASS_KEYBOARDS, values.keyboards);
    LoadDeviceClassSettings(settings, DEVICE_CLASS_MICE, values.mouses);
}

void ForceUseAux(SettingsValues& values, bool haveCaptureContext, int keyboardsWithHardwareId,
                 int mousesWithHardwareId) {
    if (!haveCaptureContext || keyboardsWithHardwareId <= 1)
        values.keyboards.useAux = false;
    if (!haveCaptureContext || mousesWithHardwareId <= 1)
        values.mouses.useAux = false;
}

SaveReport SaveSettings(Settings& settings, const SettingsValues& values,
                        const SaveDevicesHook& saveDevices) {
    SaveReport report;
    Check(report,
          settings.WriteSettingString(SECTION_NETWORK, KEY_BROADCAST_ADDRESS, values.broadcastAddress),
          KEY_BROADCAST_ADDRESS);
    Check(report, settings.WriteSettingInt(SECTION_NETWORK, KEY_PORT, values.port), KEY_PORT);
    Check(report, settings.WriteSettingString(SECTION_NETWORK, KEY_APPLICATION_ID, values.applicationId),
          KEY_APPLICATION_ID);
    Check(report, settings.WriteSettingString(SECTION_REMOTE_CMD, KEY_DESTINATION, values.destination),
          KEY_DESTINATION);
    SaveClass(settings, DEVICE_CLASS_KEYBOARDS, values.keyboards, saveDevices, report);
    SaveClass(settings, DEVICE_CLASS_MICE, values.mouses, saveDevices, report);
    return report;
}
