#pragma once
// The values of the configuration file's "Network", "RemoteCmd", "Keyboards" and "Mouses" sections,
// with the defaults that apply when the file, a section or a key is missing.
#include <string>

struct DeviceClassSettings {
    bool useAux = false;
    int mainIndex = 0;
    std::string textCmd;
};

struct SettingsValues {
    std::string broadcastAddress;
    int port = 9871;
    std::string applicationId = "REMOTE";
    std::string destination;
    DeviceClassSettings keyboards{false, 0, "AUXKEYB"};
    DeviceClassSettings mouses{false, 0, "AUXMOUSE"};
};
