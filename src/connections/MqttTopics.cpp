#include "connections/MqttTopics.h"
#include "connections/JsonText.h"
#include "connections/KeyNames.h"

namespace {

std::string_view ButtonName(MouseButton button) {
    switch (button) {
    case MouseButton::Left:
        return "left";
    case MouseButton::Right:
        return "right";
    case MouseButton::Middle:
        return "middle";
    case MouseButton::None:
        break;
    }
    return {};
}

} // namespace

std::string_view MqttTopics::ClassName(DeviceClass deviceClass) {
    return deviceClass == DEVICE_CLASS_MICE ? "mouse" : "keyboard";
}

std::string MqttTopics::ClientId() const {
    std::string id = "kvremote";
    for (char c : station_) {
        const bool letterOrDigit = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (letterOrDigit && id.size() < 23)
            id += c;
    }
    return id;
}

std::string MqttTopics::Status() const {
    return prefix_ + "/" + station_ + "/status";
}

std::string MqttTopics::Events(const ExposedDevice& device) const {
    return prefix_ + "/" + station_ + "/" + std::string(ClassName(device.deviceClass)) + "/" +
           std::to_string(device.index);
}

std::string MqttTopics::Availability(const ExposedDevice& device) const {
    return Events(device) + "/availability";
}

std::string MqttTopics::EventPayload(const DestinationEvent& event) {
    const std::string_view type = event.kind == DestinationEventKind::Press     ? "press"
                                  : event.kind == DestinationEventKind::Release ? "release"
                                                                                : "wheel";
    return EventPayload(event, type);
}

std::string MqttTopics::EventPayload(const DestinationEvent& event, std::string_view type) {
    std::string json = "{\"event_type\":\"" + std::string(type) + "\"";
    if (event.deviceClass != DEVICE_CLASS_MICE) {
        if (event.kind == DestinationEventKind::Wheel)
            return {};
        if (const std::string key = KeyName(event.key); !key.empty())
            json += ",\"key\":" + JsonQuoted(key);
        json += ",\"code\":" + std::to_string(event.code) + ",\"value\":" + std::to_string(event.value);
    } else if (event.kind == DestinationEventKind::Wheel) {
        json += ",\"delta\":" + std::to_string(event.delta);
    } else {
        const std::string_view button = ButtonName(event.button);
        if (button.empty())
            return {};
        json += ",\"button\":\"" + std::string(button) + "\"";
    }
    return json + "}";
}

std::string_view MqttTopics::LightName(LockLight light) {
    switch (light) {
    case LockLight::Caps:
        return "capslock";
    case LockLight::Scroll:
        return "scrolllock";
    case LockLight::Num:
        break;
    }
    return "numlock";
}

std::string MqttTopics::LightCommand(const ExposedDevice& keyboard, LockLight light) const {
    return Events(keyboard) + "/" + std::string(LightName(light)) + "/set";
}

std::string MqttTopics::LightCommands() const {
    return prefix_ + "/" + station_ + "/" + std::string(ClassName(DEVICE_CLASS_KEYBOARDS)) + "/+/+/set";
}

std::optional<LightChange> MqttTopics::LightCommandOf(std::string_view topic,
                                                      std::string_view payload) const {
    const std::string head =
        prefix_ + "/" + station_ + "/" + std::string(ClassName(DEVICE_CLASS_KEYBOARDS)) + "/";
    if (!topic.starts_with(head) || !topic.ends_with("/set") || (payload != "ON" && payload != "OFF"))
        return std::nullopt;
    std::string_view rest = topic.substr(head.size(), topic.size() - head.size() - 4);
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos || slash == 0 || slash > 3)
        return std::nullopt;
    int index = 0;
    for (const char c : rest.substr(0, slash)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        index = index * 10 + (c - '0');
    }
    if (index > 255)
        return std::nullopt;
    for (int light = 0; light < kLockLights; ++light)
        if (rest.substr(slash + 1) == LightName(static_cast<LockLight>(light)))
            return LightChange{index, static_cast<LockLight>(light), payload == "ON"};
    return std::nullopt;
}
