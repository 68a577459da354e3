#pragma once
// The [Mqtt] section: the broker, the account, the topic prefix, discovery, the keep-alive and TLS,
// the discovery prefix, the gestures' times and the device triggers, as the settings file holds them,
// and what the MQTT connection is made from them.
#include "settings/SecretProtector.h"
#include "settings/Settings.h"
#include "connections/MqttClient.h"
#include <functional>
#include <string>
#include <string_view>

inline constexpr int kDefaultMqttPort = 1883;
inline constexpr int kDefaultMqttTlsPort = 8883;
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
    bool tls = false;     // the broker is reached through TLS, its certificate checked
    std::string caFile{}; // a PEM file of the certificate authority to trust instead of Windows' roots
    // The file held a protected password that this PC cannot read back (made on another machine).
    bool passwordUnreadable = false;
    bool operator==(const MqttSettings&) const = default;
};

// Missing keys read as their defaults; Discovery is off only when it is "0", Tls on when it is
// anything else; the port defaults to 8883 with TLS. With a protector, the password comes from
// PasswordProtected (base64 of the protected form) when it is there, else from a plain Password.
MqttSettings ReadMqttSettings(Settings& settings, const SecretProtector* protector = nullptr);
// True when every key was written. With a protector the password is written protected and a plain
// Password is removed; without one it is written plain.
bool WriteMqttSettings(Settings& settings, const MqttSettings& values,
                       const SecretProtector* protector = nullptr);

// Text from the settings file's ANSI code page to UTF-8 (on Windows through the wide form).
using AnsiToUtf8 = std::function<std::string(std::string_view)>;

// The client's settings for this station, the texts in UTF-8.
MqttClientConfig MqttClientConfigFrom(const MqttSettings& values, std::string_view station,
                                      const AnsiToUtf8& toUtf8);
// Where the connection goes: an IPv4 address as the settings window reads it (010 is 10), and
// reconnects at most every 10 s.
ConnectionTarget MqttTargetFrom(const MqttSettings& values);
