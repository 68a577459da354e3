#pragma once
// What Home Assistant's discovery is told, one retained config per device under the discovery
// prefix: the station as a device of its own (its connection as a binary sensor on the status topic),
// and each exposed (class, index) as a device through the station, with its event entity and its
// device triggers (single, double and long of each key of a layout and of each mouse button). Each
// config names the program as its origin. Also the per-entity topic of earlier versions, which a
// migration hands over to the device config.
#include "connections/MqttTopics.h"
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Which keys get device triggers: those of a Companion layout, or none.
enum class MqttTriggers : std::uint8_t { None, Keypad, Full };
inline constexpr std::string_view kDefaultMqttDiscoveryPrefix = "homeassistant";

// "none", "keypad" or "full", in any letter case.
std::optional<MqttTriggers> ParseMqttTriggers(std::string_view name);
std::string_view MqttTriggersName(MqttTriggers triggers);

// The payload that tells Home Assistant a per-entity config moves to a device config.
inline constexpr std::string_view kMqttMigrateDiscovery = R"({"migrate_discovery":true})";

class MqttDiscovery {
public:
    // prefix: the discovery prefix (UTF-8); topics: where the station's messages go.
    // lights: each keyboard offers its three lock lights as switches.
    MqttDiscovery(std::string prefix, MqttTopics topics, MqttTriggers triggers, bool lights = false)
        : prefix_(std::move(prefix)), topics_(std::move(topics)), triggers_(triggers), lights_(lights) {}

    // <prefix>/device/kvremote_<station>/config
    std::string StationTopic() const;
    std::string StationConfig() const;
    // <prefix>/device/kvremote_<station>_keyboard_<index>/config (or _mouse_)
    std::string DeviceTopic(const ExposedDevice& device) const;
    std::string DeviceConfig(const ExposedDevice& device) const;
    // <prefix>/event/<station>_keyboard_<index>/config: the event entity's config of earlier versions.
    std::string LegacyTopic(const ExposedDevice& device) const;

private:
    std::string DeviceId(const ExposedDevice* device) const;
    std::string Origin() const;

    std::string prefix_;
    MqttTopics topics_;
    MqttTriggers triggers_;
    bool lights_;
};
