#include "connections/MqttSettings.h"
#include "app/SettingIds.h"
#include "remote/LinkAddress.h"

MqttSettings ReadMqttSettings(Settings& settings) {
    MqttSettings values;
    settings.ReadSettingString(SECTION_MQTT, KEY_MQTT_HOST, "", values.host);
    settings.ReadSettingInt(SECTION_MQTT, KEY_MQTT_PORT, kDefaultMqttPort, values.port);
    settings.ReadSettingString(SECTION_MQTT, KEY_MQTT_USER, "", values.user);
    settings.ReadSettingString(SECTION_MQTT, KEY_MQTT_PASSWORD, "", values.password);
    settings.ReadSettingString(SECTION_MQTT, KEY_MQTT_TOPIC, kDefaultMqttTopic, values.topic);
    std::string discovery;
    settings.ReadSettingString(SECTION_MQTT, KEY_MQTT_DISCOVERY, "1", discovery);
    values.discovery = discovery != "0";
    settings.ReadSettingInt(SECTION_MQTT, KEY_MQTT_KEEP_ALIVE, kDefaultMqttKeepAlive,
                            values.keepAliveSeconds);
    settings.ReadSettingString(SECTION_MQTT, KEY_MQTT_DISCOVERY_PREFIX, kDefaultMqttDiscoveryPrefix,
                               values.discoveryPrefix);
    settings.ReadSettingInt(SECTION_MQTT, KEY_MQTT_DOUBLE_MS, values.doubleMs, values.doubleMs);
    settings.ReadSettingInt(SECTION_MQTT, KEY_MQTT_LONG_MS, values.longMs, values.longMs);
    settings.ReadSettingString(SECTION_MQTT, KEY_MQTT_TRIGGERS, MqttTriggersName(MqttTriggers::Keypad),
                               values.triggers);
    return values;
}

bool WriteMqttSettings(Settings& settings, const MqttSettings& values) {
    bool written = settings.WriteSettingString(SECTION_MQTT, KEY_MQTT_HOST, values.host);
    written &= settings.WriteSettingInt(SECTION_MQTT, KEY_MQTT_PORT, values.port);
    written &= settings.WriteSettingString(SECTION_MQTT, KEY_MQTT_USER, values.user);
    written &= settings.WriteSettingString(SECTION_MQTT, KEY_MQTT_PASSWORD, values.password);
    written &= settings.WriteSettingString(SECTION_MQTT, KEY_MQTT_TOPIC, values.topic);
    written &= settings.WriteSettingBool(SECTION_MQTT, KEY_MQTT_DISCOVERY, values.discovery);
    written &= settings.WriteSettingInt(SECTION_MQTT, KEY_MQTT_KEEP_ALIVE, values.keepAliveSeconds);
    written &= settings.WriteSettingString(SECTION_MQTT, KEY_MQTT_DISCOVERY_PREFIX, values.discoveryPrefix);
    written &= settings.WriteSettingInt(SECTION_MQTT, KEY_MQTT_DOUBLE_MS, values.doubleMs);
    written &= settings.WriteSettingInt(SECTION_MQTT, KEY_MQTT_LONG_MS, values.longMs);
    written &= settings.WriteSettingString(SECTION_MQTT, KEY_MQTT_TRIGGERS, values.triggers);
    return written;
}

MqttClientConfig MqttClientConfigFrom(const MqttSettings& values, std::string_view station,
                                      const AnsiToUtf8& toUtf8) {
    MqttClientConfig config;
    config.station = station;
    config.topic = toUtf8(values.topic);
    config.user = toUtf8(values.user);
    config.password = toUtf8(values.password);
    config.discovery = values.discovery;
    config.keepAliveMs = static_cast<MonoMs>(values.keepAliveSeconds) * 1000;
    config.discoveryPrefix = toUtf8(values.discoveryPrefix);
    config.doubleMs = values.doubleMs;
    config.longMs = values.longMs;
    config.triggers = ParseMqttTriggers(values.triggers).value_or(MqttTriggers::Keypad);
    return config;
}

ConnectionTarget MqttTargetFrom(const MqttSettings& values) {
    ConnectionTarget target;
    target.host = CanonicalDottedAddress(values.host);
    target.port = static_cast<std::uint16_t>(values.port);
    target.reconnectCapMs = kMqttReconnectCapMs;
    return target;
}
