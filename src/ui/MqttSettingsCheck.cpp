#include "ui/MqttSettingsCheck.h"
#include "res/resource.h"
#include "ui/BroadcastAddressCheck.h"

namespace {

bool IsAsciiLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool IsValidHostLabel(std::string_view label) {
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
        return false;
    for (char c : label)
        if (!IsAsciiLetterOrDigit(c) && c != '-')
            return false;
    return true;
}

} // namespace

bool IsValidHostOrAddress(std::string_view host) {
    if (host.empty() || host.size() > 253)
        return false;
    // Digits and dots only is an address: a name resolver would read "10.1" as 10.0.0.1.
    if (host.find_first_not_of("0123456789.") == std::string_view::npos)
        return IsValidBroadcastAddressSyntax(host);
    std::size_t pos = 0;
    while (true) {
        const std::size_t dot = host.find('.', pos);
        if (!IsValidHostLabel(host.substr(pos, dot - pos)))
            return false;
        if (dot == std::string_view::npos)
            return true;
        pos = dot + 1;
    }
}

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
    if (!values.host.empty() && !IsValidHostOrAddress(values.host))
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
