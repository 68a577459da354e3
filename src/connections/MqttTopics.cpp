#include "connections/MqttTopics.h"
#include "KvVersion.h"

namespace {

std::string_view ClassName(DeviceClass deviceClass) {
    return deviceClass == DEVICE_CLASS_MICE ? "mouse" : "keyboard";
}

// A JSON string literal. The prefix may hold any UTF-8; the rest is letters and digits.
std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[(c >> 4) & 0xF];
            out += kHex[c & 0xF];
        } else {
            out += c;
        }
    }
    return out + '"';
}

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

std::string MqttTopics::DiscoveryConfig(const ExposedDevice& device) const {
    return "homeassistant/event/" + station_ + "_" + std::string(ClassName(device.deviceClass)) + "_" +
           std::to_string(device.index) + "/config";
}

std::string MqttTopics::DiscoveryPayload(const ExposedDevice& device) const {
    const bool mouse = device.deviceClass == DEVICE_CLASS_MICE;
    const std::string index = std::to_string(device.index);
    std::string json = "{";
    json += "\"name\":" + Quoted(std::string(mouse ? "Mouse " : "Keyboard ") + index);
    json += ",\"unique_id\":" +
            Quoted("kvremote_" + station_ + "_" + std::string(ClassName(device.deviceClass)) + "_" + index);
    json += ",\"state_topic\":" + Quoted(Events(device));
    json += mouse ? ",\"event_types\":[\"press\",\"release\",\"wheel\"]"
                  : ",\"event_types\":[\"press\",\"release\"]";
    json += ",\"availability\":[{\"topic\":" + Quoted(Status()) +
            "},{\"topic\":" + Quoted(Availability(device)) + "}]";
    json += ",\"availability_mode\":\"all\"";
    json += ",\"device\":{\"identifiers\":[" + Quoted("kvremote_" + station_) + "]";
    json += ",\"name\":" + Quoted("kvRemote " + station_);
    json += ",\"manufacturer\":" + Quoted(KV_PUBLISHER);
    json += ",\"model\":\"kvRemote\"";
    json += ",\"sw_version\":" + Quoted(KV_VERSION_TEXT);
    json += "}}";
    return json;
}

std::string MqttTopics::EventPayload(const DestinationEvent& event) {
    const std::string_view type = event.kind == DestinationEventKind::Press     ? "press"
                                  : event.kind == DestinationEventKind::Release ? "release"
                                                                                : "wheel";
    std::string json = "{\"event_type\":\"" + std::string(type) + "\"";
    if (event.deviceClass != DEVICE_CLASS_MICE) {
        if (event.kind == DestinationEventKind::Wheel)
            return {};
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
