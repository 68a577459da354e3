#pragma once
// The [Mqtt] section: the broker, the account, the topic prefix, discovery and the keep-alive, the
// discovery prefix, the gestures' times and the device triggers, as the settings file holds them, and
// what the MQTT connection is made from them.
#include "app/Settings.h"
#include "connections/MqttClient.h"
#include <functional>
#include <string>
#include <string_view>

inline constexpr int kDefaultMqttPort = 1883;
inline constexpr std::string_view kDefaultMqttTopic = "kvremote";
inline constexpr int kMinMqttKeepAlive = 5;
inline constexpr int kMaxMqttKeepAlive = 300;
inline constexpr int kDefaultMqttKeepAlive = 30;
inline constexpr int kMinMqttDoubleMs = 100;
inline constexpr int kMaxMqttDoubleMs = 1000;
inline constexpr int kMinMqttLongMs = 300;
inline constexpr int kMaxMqttLongMs = 5000;

struct MqttSettings {
    std::string host; // IPv4 address or host name; empty: MQTT is off
    int port = kDefaultMqttPort;
    std::string user; // texts in the ANSI code page, as the file holds them
    std::string password;
    std::string topic{kDefaultMqttTopic};
    bool discovery = true;
    int keepAliveSeconds = kDefaultMqttKeepAlive;
    std::string discoveryPrefix{kDefaultMqttDiscoveryPrefix};
    int doubleMs = static_cast<int>(kDefaultDoubleMs);
    int longMs = static_cast<int>(kDefaultLongMs);
    std::string triggers{MqttTriggersName(MqttTriggers::Keypad)}; // "keypad", "full" or "none"
    bool operator==(const MqttSettings&) const = default;
};

// Missing keys read as their defaults; Discovery is off only when it is "0".
MqttSettings ReadMqttSettings(Settings& settings);
// True when every key was written.
bool WriteMqttSettings(Settings& settings, const MqttSettings& values);

// Text from the settings file's ANSI code page to UTF-8 (on Windows through the wide form).
using AnsiToUtf8 = std::function<std::string(std::string_view)>;

// The client's settings for this station, the texts in UTF-8.
MqttClientConfig MqttClientConfigFrom(const MqttSettings& values, std::string_view station,
                                      const AnsiToUtf8& toUtf8);
// Where the connection goes: an IPv4 address as the settings window reads it (010 is 10), and
// reconnects at most every 10 s.
ConnectionTarget MqttTargetFrom(const MqttSettings& values);
