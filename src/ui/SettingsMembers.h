#pragma once
// The settings members of the main dialog, in declaration order with their initial values.
// The dialog's data exchange fills them; validation, the send sequence and the link read them.
#include <string>

struct SettingsMembers {
    bool useAuxKeyboards = false;
    std::string keyboardTextCmd;
    int keyboardMainIndex = 0;
    bool useAuxMice = false;
    std::string mouseTextCmd;
    int mouseMainIndex = 0;
    std::string broadcastAddress;
    int port = 9871;
    std::string destination;
    std::string applicationId;
};
