#pragma once
// The values of the configuration file's "Network", "RemoteCmd", "Keyboards" and "Mouses"
// sections, with the defaults that apply when the file, a section or a key is missing. The same
// struct is the settings window's live members and what a command is composed from.
#include "settings/SettingDefaults.h"

#include <string>

struct DeviceClassSettings {
    bool useAux = kDefaultUseAux;
    int mainIndex = kDefaultMainIndex;
    std::string textCmd;
    // Keyboards only: the text command of release lines; empty sends no release.
    std::string releaseTextCmd = {};
};

struct SettingsValues {
    std::string broadcastAddress{kDefaultBroadcastAddress};
    int port = kDefaultPort;
    std::string applicationId{kDefaultApplicationId};
    std::string destination{kDefaultDestination};
    DeviceClassSettings keyboards{
        kDefaultUseAux, kDefaultMainIndex, std::string(kDefaultKeyboardTextCmd), {}};
    DeviceClassSettings mouses{kDefaultUseAux, kDefaultMainIndex, std::string(kDefaultMouseTextCmd), {}};
};
