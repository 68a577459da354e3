#pragma once
// The network connections the settings file describes, built the same way by every station and by
// the Connections dialog's groups: Companion's Satellite client and the MQTT publisher, each off
// (an empty host) when its section is off or fails its checks.
#include "settings/SecretProtector.h"
#include "settings/Settings.h"
#include "connections/CompanionSettings.h"
#include "connections/ConnectionsHub.h"
#include "connections/MqttSettings.h"
#include "connections/SatelliteClient.h"

#include <string>
#include <vector>

// Every time the Companion connection keeps, a parameter as the network thread's times are, so a
// test can make them short.
struct CompanionTimes {
    SatelliteTimes protocol;
    MonoMs firstRetryMs = 1000; // after a failure, doubled up to the 5 s between attempts
};

// What building the connections needs of the platform.
struct ConnectionsPlatform {
    const SecretProtector* protector = nullptr; // the MQTT password's; none reads it plain
    AnsiToUtf8 toUtf8;                          // the file's text as the broker reads it
    CompanionTimes companionTimes = {};
    // The station writes its keyboards' lock lights: the connections offer them (Companion's
    // colours, MQTT's switches).
    bool lights = false;
};

HubConnection CompanionConnection(const CompanionSettings& values, const std::string& station,
                                  const CompanionTimes& times, bool lights = false);
HubConnection MqttConnection(const MqttSettings& values, const std::string& station, const AnsiToUtf8& toUtf8,
                             bool lights = false);

// The connections in the order of the hub's statuses: Companion, then MQTT.
std::vector<HubConnection> ConnectionsFromSettings(Settings& settings, const std::string& station,
                                                   const ConnectionsPlatform& platform);

// The name the destinations know this station by: the file's when it is valid, else the default
// made from the computer name (an invalid one waits in the file to be mended).
std::string StationNameFromSettings(Settings& settings, const std::string& computerName);
