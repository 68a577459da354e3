#include "ui/MqttGroup.h"

#include "connections/MqttClient.h"
#include "res/resource.h"
#include "ui/MqttSettingsCheck.h"
#include "winfx/DataExchange.h"
#include "winfx/StringTable.h"
#include "winfx/WideText.h"

#include <climits>

namespace {

// The longest texts the fields take; the settings file keeps lines of 1,022 characters.
constexpr int kHostChars = 253;
constexpr int kAccountChars = 255;
constexpr int kTopicChars = 200;

int ControlOf(MqttField field) {
    switch (field) {
    case MqttField::Host:
        return IDC_MQTT_HOST;
    case MqttField::Port:
        return IDC_MQTT_PORT;
    case MqttField::Password:
        return IDC_MQTT_PASSWORD;
    case MqttField::Topic:
        return IDC_MQTT_TOPIC;
    case MqttField::KeepAlive:
        return IDC_MQTT_KEEP_ALIVE;
    case MqttField::None:
        break;
    }
    return 0;
}

} // namespace

void MqttGroup::Load(Settings& settings) {
    m_values = ReadMqttSettings(settings);
}

void MqttGroup::Exchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_MQTT_HOST, m_values.host, kHostChars);
    // Any integer here; Check says which range a port and a keep-alive must be in.
    DDX_Text(dx, IDC_MQTT_PORT, m_values.port, INT_MIN, INT_MAX);
    DDX_Text(dx, IDC_MQTT_USER, m_values.user, kAccountChars);
    DDX_Text(dx, IDC_MQTT_PASSWORD, m_values.password, kAccountChars);
    DDX_Text(dx, IDC_MQTT_TOPIC, m_values.topic, kTopicChars);
    DDX_Check(dx, IDC_MQTT_DISCOVERY, m_values.discovery);
    DDX_Text(dx, IDC_MQTT_KEEP_ALIVE, m_values.keepAliveSeconds, INT_MIN, INT_MAX);
}

int MqttGroup::Check(MessageBoxes& boxes, HWND owner) {
    const MqttSettingsProblem problem = CheckMqttSettings(m_values);
    if (problem.field == MqttField::None)
        return 0;
    boxes.Show(owner, LoadResourceString(problem.messageId), MB_OK | MB_ICONERROR);
    return ControlOf(problem.field);
}

bool MqttGroup::Save(Settings& settings) {
    return WriteMqttSettings(settings, m_values);
}

int MqttGroup::StatusControlId() const {
    return IDC_MQTT_STATUS;
}

HubConnection MqttGroup::Connection(const std::string& station) const {
    HubConnection connection;
    if (m_values.host.empty() || CheckMqttSettings(m_values).field != MqttField::None)
        return connection;
    connection.target = MqttTargetFrom(m_values);
    // The file is ANSI; the broker reads UTF-8.
    connection.client = std::make_unique<MqttClient>(
        MqttClientConfigFrom(m_values, station, [](std::string_view text) { return Utf8FromAnsi(text); }));
    return connection;
}
