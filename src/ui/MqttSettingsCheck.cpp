#include "ui/MqttSettingsCheck.h"
#include "res/resource.h"
#include "ui/HostNameCheck.h"

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

MqttSettingsProblem CheckMqttSettings(const MqttSettings& values) {
    if (!values.host.empty() && !IsValidHost(values.host))
        return {MqttField::Host, IDS_MQTT_HOST_INVALID};
    if (values.port < 1 || values.port > 65535)
        return {MqttField::Port, IDS_MQTT_PORT_RANGE};
    // The protocol carries a password only with a user name.
    if (!values.password.empty() && values.user.empty())
        return {MqttField::Password, IDS_MQTT_PASSWORD_WITHOUT_USER};
    if (!IsValidMqttTopicPrefix(values.topic))
        return {MqttField::Topic, IDS_MQTT_TOPIC_INVALID};
    if (values.keepAliveSeconds < kMinMqttKeepAlive || values.keepAliveSeconds > kMaxMqttKeepAlive)
        return {MqttField::KeepAlive, IDS_MQTT_KEEP_ALIVE_RANGE};
    return {};
}
