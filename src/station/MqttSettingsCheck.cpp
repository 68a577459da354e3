#include "station/MqttSettingsCheck.h"
#include "res/resource.h"
#include "connections/MqttTopicText.h"
#include "station/HostNameCheck.h"

namespace {

bool IsAsciiLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

} // namespace

bool IsValidMqttTopicPrefix(std::string_view topic) {
    if (topic.empty() || topic.front() == '/' || topic.back() == '/')
        return false;
    for (char c : topic) {
        const bool codePageLetter = static_cast<unsigned char>(c) >= 0x80;
        if (!IsAsciiLetterOrDigit(c) && c != '-' && c != '_' && c != '/' && !codePageLetter)
            return false;
    }
    return true;
}

MqttSettingsProblem CheckMqttSettings(const MqttSettings& values, const AnsiToUtf8& toUtf8) {
    if (!values.host.empty() && !IsValidHost(values.host))
        return {MqttField::Host, IDS_MQTT_HOST_INVALID};
    if (values.port < 1 || values.port > 65535)
        return {MqttField::Port, IDS_MQTT_PORT_RANGE};
    // The protocol carries a password only with a user name.
    if (!values.password.empty() && values.user.empty())
        return {MqttField::Password, IDS_MQTT_PASSWORD_WITHOUT_USER};
    const std::string topic = toUtf8(values.topic);
    if (!IsValidMqttTopicPrefix(values.topic) || !IsValidMqttTopicText(topic))
        return {MqttField::Topic, IDS_MQTT_TOPIC_INVALID};
    if (values.keepAliveSeconds < kMinMqttKeepAlive || values.keepAliveSeconds > kMaxMqttKeepAlive)
        return {MqttField::KeepAlive, IDS_MQTT_KEEP_ALIVE_RANGE};
    const std::string discovery = toUtf8(values.discoveryPrefix);
    if (!IsValidMqttTopicPrefix(values.discoveryPrefix) || !IsValidMqttTopicText(discovery))
        return {MqttField::DiscoveryPrefix, IDS_MQTT_DISCOVERY_PREFIX_INVALID};
    if (!MqttTopicsFit(topic, discovery))
        return {MqttField::Topic, IDS_MQTT_TOPICS_TOO_LONG};
    if (!ParseMqttTriggers(values.triggers))
        return {MqttField::Triggers, IDS_MQTT_TRIGGERS_INVALID};
    if (values.doubleMs < kMinMqttDoubleMs || values.doubleMs > kMaxMqttDoubleMs)
        return {MqttField::DoubleMs, IDS_MQTT_DOUBLE_MS_RANGE};
    if (values.longMs < kMinMqttLongMs || values.longMs > kMaxMqttLongMs)
        return {MqttField::LongMs, IDS_MQTT_LONG_MS_RANGE};
    return {};
}
