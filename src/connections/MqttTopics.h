#pragma once
// Where a station's messages go on the broker and what they say: the topics under the user's prefix
// and the events as JSON.
#include "connections/DestinationEvent.h"
#include "connections/LockLights.h"
#include <optional>
#include <string>
#include <string_view>
#include <utility>

class MqttTopics {
public:
    // prefix: the user's topic prefix (UTF-8); station: letters and digits.
    MqttTopics(std::string prefix, std::string station)
        : prefix_(std::move(prefix)), station_(std::move(station)) {}

    const std::string& Station() const { return station_; }
    // "keyboard" or "mouse", as topics and names say it.
    static std::string_view ClassName(DeviceClass deviceClass);
    // "kvremote<Station>", cut to the 23 characters every broker must accept.
    std::string ClientId() const;
    // <prefix>/<station>/status: the station's "online" and the will's "offline".
    std::string Status() const;
    // <prefix>/<station>/keyboard/<index> (or mouse): the events.
    std::string Events(const ExposedDevice& device) const;
    // The events topic followed by /availability.
    std::string Availability(const ExposedDevice& device) const;

    // A keyboard's lock light as a switch: the events topic followed by /numlock/set (capslock,
    // scrolllock), "ON" or "OFF"; the filter that takes every such command of the station.
    static std::string_view LightName(LockLight light);
    std::string LightCommand(const ExposedDevice& keyboard, LockLight light) const;
    std::string LightCommands() const;
    // The change a command on one of those topics asks for; nothing for another topic or payload.
    std::optional<LightChange> LightCommandOf(std::string_view topic, std::string_view payload) const;

    // {"event_type":"press","key":"kp_7","code":103,"value":0}, {"event_type":"wheel","delta":-120},
    // ...; empty for an event a destination is not told (a mouse press without a button).
    static std::string EventPayload(const DestinationEvent& event);
    // The same with another event type: a gesture ("double") told from the press `event`.
    static std::string EventPayload(const DestinationEvent& event, std::string_view type);

private:
    std::string prefix_;
    std::string station_;
};
