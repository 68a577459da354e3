// The kinds of connection the program offers, and the connections the settings file describes.
#include "ui/ConnectionGroup.h"
#include "ui/MqttGroup.h"

#include "settings/SecretProtectorWin32.h"
#include "ui/CompanionGroup.h"
#include "winfx/WideText.h"

#include <windows.h>

std::vector<std::unique_ptr<ConnectionGroup>> MakeConnectionGroups() {
    // Each kind of connection adds its group here, in the order of template 109.
    std::vector<std::unique_ptr<ConnectionGroup>> groups;
    groups.push_back(std::make_unique<CompanionGroup>());
    groups.push_back(std::make_unique<MqttGroup>());
    return groups;
}

ConnectionsPlatform ConnectionsPlatformWin32() {
    static const SecretProtectorWin32 protector;
    return ConnectionsPlatform{&protector, [](std::string_view ansi) { return Utf8FromAnsi(ansi); }, {}};
}

std::vector<HubConnection> ConnectionsFromSettings(Settings& settings, const std::string& station) {
    return ConnectionsFromSettings(settings, station, ConnectionsPlatformWin32());
}

std::string ComputerNameWin32() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return ::GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}
