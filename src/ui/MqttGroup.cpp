#include "ui/MqttGroup.h"

#include "connections/MqttClient.h"
#include "res/resource.h"
#include "ui/MqttSettingsCheck.h"
#include "ui/NamedChoiceExchange.h"
#include "winfx/DataExchange.h"
#include "winfx/StringTable.h"
#include "winfx/WideText.h"

#include <climits>
#include <windows.h>

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
    case MqttField::DiscoveryPrefix:
        return IDC_MQTT_DISCOVERY_PREFIX;
    case MqttField::Triggers:
        return IDC_MQTT_TRIGGERS;
    case MqttField::DoubleMs:
        return IDC_MQTT_DOUBLE_MS;
    case MqttField::LongMs:
        return IDC_MQTT_LONG_MS;
    case MqttField::None:
        break;
    }
    return 0;
}

// The file's text in the wide form and back: the broker reads UTF-8.
std::string ToUtf8(std::string_view ansi) {
    return Utf8FromAnsi(ansi);
}

void ExchangeTriggers(CDataExchange* dx, std::string& name) {
    static constexpr MqttTriggers kChoices[] = {MqttTriggers::Keypad, MqttTriggers::Full, MqttTriggers::None};
    ExchangeNamedChoice(dx, IDC_MQTT_TRIGGERS, name, std::span<const MqttTriggers>(kChoices),
                        MqttTriggersName, ParseMqttTriggers);
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
    DDX_Text(dx, IDC_MQTT_DISCOVERY_PREFIX, m_values.discoveryPrefix, kTopicChars);
    ExchangeTriggers(dx, m_values.triggers);
    DDX_Text(dx, IDC_MQTT_DOUBLE_MS, m_values.doubleMs, INT_MIN, INT_MAX);
    DDX_Text(dx, IDC_MQTT_LONG_MS, m_values.longMs, INT_MIN, INT_MAX);
}

int MqttGroup::Check(MessageBoxes& boxes, HWND owner) {
    const MqttSettingsProblem problem = CheckMqttSettings(m_values, ToUtf8);
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
    if (m_values.host.empty() || CheckMqttSettings(m_values, ToUtf8).field != MqttField::None)
        return connection;
    connection.target = MqttTargetFrom(m_values);
    // The file is ANSI; the broker reads UTF-8.
    connection.client = std::make_unique<MqttClient>(MqttClientConfigFrom(m_values, station, ToUtf8));
    return connection;
}
