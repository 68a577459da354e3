// The kinds of connection the program offers, and the connections the settings file describes.
#include "ui/ConnectionGroup.h"
#include "ui/MqttGroup.h"

#include "ui/CompanionGroup.h"

#include <windows.h>

std::vector<std::unique_ptr<ConnectionGroup>> MakeConnectionGroups() {
    // Each kind of connection adds its group here, in the order of template 109.
    std::vector<std::unique_ptr<ConnectionGroup>> groups;
    groups.push_back(std::make_unique<CompanionGroup>());
    groups.push_back(std::make_unique<MqttGroup>());
    return groups;
}

std::vector<HubConnection> ConnectionsFromSettings(Settings& settings, const std::string& station) {
    std::vector<HubConnection> connections;
    for (const std::unique_ptr<ConnectionGroup>& group : MakeConnectionGroups()) {
        group->Load(settings);
        connections.push_back(group->Connection(station));
    }
    return connections;
}

std::string ComputerNameWin32() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return ::GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}
