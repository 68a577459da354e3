#include "station/ConnectionsFromSettings.h"

#include "connections/MqttClient.h"
#include "station/CompanionSettingsCheck.h"
#include "connections/StationName.h"
#include "station/MqttSettingsCheck.h"

#include <memory>

HubConnection CompanionConnection(const CompanionSettings& values, const std::string& station,
                                  const CompanionTimes& times, bool lights) {
    HubConnection connection{CompanionTarget(values), nullptr};
    if (connection.target.host.empty())
        return connection; // off, or a hand-edited value that fails its check
    connection.target.firstRetryMs = times.firstRetryMs;
    connection.client = std::make_unique<SatelliteClient>(SatelliteClientConfig{
        station, ParseKeyboardLayoutName(values.keyboardLayout).value_or(KeyboardLayoutKind::Keypad),
        times.protocol, lights});
    return connection;
}

HubConnection MqttConnection(const MqttSettings& values, const std::string& station, const AnsiToUtf8& toUtf8,
                             bool lights) {
    HubConnection connection;
    if (values.host.empty() || CheckMqttSettings(values, toUtf8).field != MqttField::None)
        return connection;
    connection.target = MqttTargetFrom(values);
    // The file is ANSI; the broker reads UTF-8.
    MqttClientConfig config = MqttClientConfigFrom(values, station, toUtf8);
    config.lights = lights;
    connection.client = std::make_unique<MqttClient>(config);
    return connection;
}

std::vector<HubConnection> ConnectionsFromSettings(Settings& settings, const std::string& station,
                                                   const ConnectionsPlatform& platform) {
    std::vector<HubConnection> connections;
    CompanionSettings companion;
    LoadCompanionSettings(settings, companion);
    connections.push_back(CompanionConnection(companion, station, platform.companionTimes, platform.lights));
    connections.push_back(MqttConnection(ReadMqttSettings(settings, platform.protector), station,
                                         platform.toUtf8, platform.lights));
    return connections;
}

std::string StationNameFromSettings(Settings& settings, const std::string& computerName) {
    std::string station = LoadStationName(settings, computerName);
    if (!IsValidStationName(station))
        station = DefaultStationName(computerName);
    return station;
}
