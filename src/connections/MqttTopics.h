#pragma once
// Where a station's messages go on the broker and what they say: the topics under the user's prefix,
// the events as JSON, and the Home Assistant discovery config of each exposed (class, index).
#include "connections/DestinationEvent.h"
#include <string>
#include <string_view>
#include <utility>

class MqttTopics {
public:
    // prefix: the user's topic prefix (UTF-8); station: letters and digits.
    MqttTopics(std::string prefix, std::string station)
        : prefix_(std::move(prefix)), station_(std::move(station)) {}

    const std::string& Station() const { return station_; }
    // "kvremote<Station>", cut to the 23 characters every broker must accept.
    std::string ClientId() const;
    // <prefix>/<station>/status: the station's "online" and the will's "offline".
    std::string Status() const;
    // <prefix>/<station>/keyboard/<index> (or mouse): the events.
    std::string Events(const ExposedDevice& device) const;
    // The events topic followed by /availability.
    std::string Availability(const ExposedDevice& device) const;
    // homeassistant/event/<station>_keyboard_<index>/config (or _mouse_).
    std::string DiscoveryConfig(const ExposedDevice& device) const;

    // The config of the device's event entity; sw_version is the program's version.
    std::string DiscoveryPayload(const ExposedDevice& device) const;
    // {"event_type":"press","code":103,"value":0}, {"event_type":"wheel","delta":-120}, ...; empty
    // for an event a destination is not told (a mouse press without a button).
    static std::string EventPayload(const DestinationEvent& event);

private:
    std::string prefix_;
    std::string station_;
};
