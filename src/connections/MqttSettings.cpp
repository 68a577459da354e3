#include "connections/MqttSettings.h"
#include "base/Base64.h"
#include "settings/SettingIds.h"
#include "remote/LinkAddress.h"

namespace {

// The password: the protected form wins over a plain one; one that cannot be read back is empty.
void ReadPassword(Settings& settings, const SecretProtector* protector, MqttSettings& values) {
    std::string stored;
    if (protector)
        settings.ReadSettingString(SECTION_MQTT, KEY_MQTT_PASSWORD_PROTECTED, "", stored);
    if (stored.empty()) {
        settings.ReadSettingString(SECTION_MQTT, KEY_MQTT_PASSWORD, "", values.password);
        return;
    }
    const std::optional<std::string> blob = Base64Decode(stored);
    std::optional<std::string> password = blob ? protector->Unprotect(*blob) : std::nullopt;
    values.password = password.value_or("");
    values.passwordUnreadable = !password;
}

bool WritePassword(Settings& settings, const SecretProtector* protector, const MqttSettings& values) {
    if (!protector)
        return settings.WriteSettingString(SECTION_MQTT, KEY_MQTT_PASSWORD, values.password);
    bool written = true;
    if (values.password.empty()) {
        written = settings.DeleteSetting(SECTION_MQTT, KEY_MQTT_PASSWORD_PROTECTED);
    } else {
        // Never the plain text instead: a failure leaves the file without the password and says so.
        const std::optional<std::string> blob = protector->Protect(values.password);
        written = blob &&
                  settings.WriteSettingString(SECTION_MQTT, KEY_MQTT_PASSWORD_PROTECTED, Base64Encode(*blob));
    }
    return settings.DeleteSetting(SECTION_MQTT, KEY_MQTT_PASSWORD) && written;
}

} // namespace

MqttSettings ReadMqttSettings(Settings& settings, const SecretProtector* protector) {
    MqttSettings values;
    settings.ReadSettingString(SECTION_MQTT, KEY_MQTT_HOST, "", values.host);
    settings.ReadSettingBool(SECTION_MQTT, KEY_MQTT_TLS, values.tls);
    settings.ReadSettingInt(SECTION_MQTT, KEY_MQTT_PORT, values.tls ? kDefaultMqttTlsPort : kDefaultMqttPort,
                            values.port);
    settings.ReadSettingString(SECTION_MQTT, KEY_MQTT_USER, "", values.user);
    ReadPassword(settings, protector, values);
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
    settings.ReadSettingString(SECTION_MQTT, KEY_MQTT_CA_FILE, "", values.caFile);
    return values;
}

bool WriteMqttSettings(Settings& settings, const MqttSettings& values, const SecretProtector* protector) {
    bool written = settings.WriteSettingString(SECTION_MQTT, KEY_MQTT_HOST, values.host);
    written &= settings.WriteSettingInt(SECTION_MQTT, KEY_MQTT_PORT, values.port);
    written &= settings.WriteSettingString(SECTION_MQTT, KEY_MQTT_USER, values.user);
    written &= WritePassword(settings, protector, values);
    written &= settings.WriteSettingString(SECTION_MQTT, KEY_MQTT_TOPIC, values.topic);
    written &= settings.WriteSettingBool(SECTION_MQTT, KEY_MQTT_DISCOVERY, values.discovery);
    written &= settings.WriteSettingInt(SECTION_MQTT, KEY_MQTT_KEEP_ALIVE, values.keepAliveSeconds);
    written &= settings.WriteSettingString(SECTION_MQTT, KEY_MQTT_DISCOVERY_PREFIX, values.discoveryPrefix);
    written &= settings.WriteSettingInt(SECTION_MQTT, KEY_MQTT_DOUBLE_MS, values.doubleMs);
    written &= settings.WriteSettingInt(SECTION_MQTT, KEY_MQTT_LONG_MS, values.longMs);
    written &= settings.WriteSettingString(SECTION_MQTT, KEY_MQTT_TRIGGERS, values.triggers);
    written &= settings.WriteSettingBool(SECTION_MQTT, KEY_MQTT_TLS, values.tls);
    written &= settings.WriteSettingString(SECTION_MQTT, KEY_MQTT_CA_FILE, values.caFile);
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
    target.tls = values.tls;
    target.caFile = values.caFile;
    target.refusedRetryMs = MqttClientConfig{}.refusalRetryMs;
    return target;
}
