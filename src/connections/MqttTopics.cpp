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
