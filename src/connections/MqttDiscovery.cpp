#include "connections/MqttDiscovery.h"
#include "KvVersion.h"
#include "base/AsciiCase.h"
#include "connections/JsonText.h"
#include "connections/KeyNames.h"
#include "connections/KeyboardLayouts.h"
#include <vector>

namespace {

// Home Assistant's trigger types for the three gestures, in the order of the event types.
struct TriggerGesture {
    std::string_view gesture;
    std::string_view type;
};
constexpr TriggerGesture kTriggerGestures[] = {
    {"single", "button_short_press"},
    {"double", "button_double_press"},
    {"long", "button_long_press"},
};

} // namespace

std::optional<MqttTriggers> ParseMqttTriggers(std::string_view name) {
    for (MqttTriggers triggers : {MqttTriggers::None, MqttTriggers::Keypad, MqttTriggers::Full})
        if (SameIgnoringAsciiCase(name, MqttTriggersName(triggers)))
            return triggers;
    return std::nullopt;
}

std::string_view MqttTriggersName(MqttTriggers triggers) {
    switch (triggers) {
    case MqttTriggers::None:
        return "none";
    case MqttTriggers::Full:
        return "full";
    case MqttTriggers::Keypad:
        break;
    }
    return "keypad";
}

std::string MqttDiscovery::DeviceId(const ExposedDevice* device) const {
    std::string id = "kvremote_";
    id.append(topics_.Station());
    if (device) // appended piece by piece: GCC 12 at -O3 warns falsely on "_" + std::string
        id.append("_")
            .append(MqttTopics::ClassName(device->deviceClass))
            .append("_")
            .append(std::to_string(device->index));
    return id;
}

std::string MqttDiscovery::StationTopic() const {
    return prefix_ + "/device/" + DeviceId(nullptr) + "/config";
}

std::string MqttDiscovery::DeviceTopic(const ExposedDevice& device) const {
    return prefix_ + "/device/" + DeviceId(&device) + "/config";
}

std::string MqttDiscovery::LegacyTopic(const ExposedDevice& device) const {
    return prefix_ + "/event/" + topics_.Station() + "_" +
           std::string(MqttTopics::ClassName(device.deviceClass)) + "_" + std::to_string(device.index) +
           "/config";
}

std::string MqttDiscovery::Origin() const {
    std::string origin = R"("o":{"name":"kvRemote","sw_version":)" + JsonQuoted(KV_VERSION_TEXT);
    if (std::string_view(KV_SUPPORT_URL).size() != 0)
        origin += ",\"support_url\":" + JsonQuoted(KV_SUPPORT_URL);
    return origin + "}";
}

std::string MqttDiscovery::StationConfig() const {
    const std::string id = DeviceId(nullptr);
    std::string json = "{\"dev\":{\"identifiers\":[" + JsonQuoted(id) + "]";
    json += ",\"name\":" + JsonQuoted("kvRemote " + topics_.Station());
    json += ",\"manufacturer\":" + JsonQuoted(KV_PUBLISHER);
    json += ",\"model\":\"kvRemote\",\"sw_version\":" + JsonQuoted(KV_VERSION_TEXT) + "},";
    json += Origin();
    json += ",\"cmps\":{\"status\":{\"p\":\"binary_sensor\",\"name\":\"Connection\"";
    json += ",\"unique_id\":" + JsonQuoted(id + "_status");
    json += ",\"device_class\":\"connectivity\",\"entity_category\":\"diagnostic\"";
    json += ",\"state_topic\":" + JsonQuoted(topics_.Status());
    json += ",\"payload_on\":\"online\",\"payload_off\":\"offline\"}}}";
    return json;
}

std::string MqttDiscovery::DeviceConfig(const ExposedDevice& device) const {
    const bool mouse = device.deviceClass == DEVICE_CLASS_MICE;
    const std::string id = DeviceId(&device);
    const std::string state = topics_.Events(device);
    std::string json = "{\"dev\":{\"identifiers\":[" + JsonQuoted(id) + "]";
    json += ",\"name\":" + JsonQuoted("kvRemote " + topics_.Station() + " " +
                                      std::string(MqttTopics::ClassName(device.deviceClass)) + " " +
                                      std::to_string(device.index));
    json += ",\"manufacturer\":" + JsonQuoted(KV_PUBLISHER);
    json += std::string(",\"model\":") + (mouse ? "\"kvRemote mouse\"" : "\"kvRemote keyboard\"");
    json += ",\"sw_version\":" + JsonQuoted(KV_VERSION_TEXT);
    json += ",\"via_device\":" + JsonQuoted(DeviceId(nullptr)) + "},";
    json += Origin();
    // The event entity keeps the unique id it had as a config of its own; it takes the device's name.
    json += ",\"cmps\":{\"event\":{\"p\":\"event\",\"name\":null";
    json += ",\"unique_id\":" + JsonQuoted("kvremote_" + topics_.Station() + "_" +
                                           std::string(MqttTopics::ClassName(device.deviceClass)) + "_" +
                                           std::to_string(device.index));
    json += ",\"state_topic\":" + JsonQuoted(state);
    json += R"(,"event_types":["press","release")";
    if (mouse)
        json += R"(,"wheel")";
    for (const TriggerGesture& gesture : kTriggerGestures)
        json += ",\"" + std::string(gesture.gesture) + "\"";
    json += "],\"availability\":[{\"topic\":" + JsonQuoted(topics_.Status()) +
            "},{\"topic\":" + JsonQuoted(topics_.Availability(device)) + "}]";
    json += ",\"availability_mode\":\"all\"}";

    // The lock lights, as switches whose state Home Assistant assumes (a change from Companion is
    // not told back).
    static constexpr std::string_view kLightNames[kLockLights] = {"Num Lock", "Caps Lock", "Scroll Lock"};
    for (int i = 0; lights_ && !mouse && i < kLockLights; ++i) {
        const auto light = static_cast<LockLight>(i);
        const std::string name(MqttTopics::LightName(light));
        json += ",\"" + name + "\":{\"p\":\"switch\",\"name\":" + JsonQuoted(kLightNames[i]);
        json += ",\"unique_id\":" + JsonQuoted("kvremote_" + topics_.Station() + "_keyboard_" +
                                               std::to_string(device.index) + "_" + name);
        json += ",\"command_topic\":" + JsonQuoted(topics_.LightCommand(device, light));
        json += ",\"availability\":[{\"topic\":" + JsonQuoted(topics_.Status()) +
                "},{\"topic\":" + JsonQuoted(topics_.Availability(device)) + "}]";
        json += ",\"availability_mode\":\"all\"}";
    }

    // One trigger per gesture of each key or button; its template gives the gesture only for its own
    // key, so one key's double fires one trigger.
    std::vector<std::string> names;
    if (triggers_ != MqttTriggers::None) {
        if (mouse) {
            names.assign(kMouseButtonNames.begin(), kMouseButtonNames.end());
        } else {
            const KeyboardLayout& layout = KeyboardLayout::Of(
                triggers_ == MqttTriggers::Full ? KeyboardLayoutKind::Full : KeyboardLayoutKind::Keypad);
            for (const int key : layout.Keys())
                names.push_back(KeyName(key));
        }
    }
    const std::string_view field = mouse ? "button" : "key";
    for (const std::string& name : names)
        for (const TriggerGesture& gesture : kTriggerGestures) {
            json += ",\"" + name + "_" + std::string(gesture.gesture) + "\":{\"p\":\"device_automation\"";
            json += ",\"automation_type\":\"trigger\",\"topic\":" + JsonQuoted(state);
            json += ",\"type\":\"" + std::string(gesture.type) + "\",\"subtype\":" + JsonQuoted(name);
            json += ",\"payload\":\"" + std::string(gesture.gesture) + "\"";
            json += ",\"value_template\":\"{{ value_json.event_type if value_json." + std::string(field) +
                    " == '" + name + "' else '' }}\"}";
        }
    return json + "}}";
}
