#pragma once
// The checks the Connections dialog's OK makes on the MQTT fields, and start-up on the [Mqtt] section
// read from a hand-edited file.
#include "connections/MqttSettings.h"
#include <string_view>

enum class MqttField {
    None,
    Host,
    Port,
    Password,
    Topic,
    KeepAlive,
    DiscoveryPrefix,
    Triggers,
    DoubleMs,
    LongMs
};

struct MqttSettingsProblem {
    MqttField field = MqttField::None; // the field to go back to; None when all pass
    int messageId = 0;                 // the string-table text that says why
    bool operator==(const MqttSettingsProblem&) const = default;
};

// A topic prefix: letters, digits, -, _ and /, not at either end. Bytes above ASCII are letters of the
// ANSI code page. No + or #: they are the wildcards of subscriptions.
bool IsValidMqttTopicPrefix(std::string_view topic);

// The first failing check in the dialog's field order. An empty host (MQTT off) passes. The prefixes
// pass only when the broker accepts them in UTF-8 (toUtf8 converts from the settings file's code page,
// where a byte with no letter becomes a control character).
MqttSettingsProblem CheckMqttSettings(const MqttSettings& values, const AnsiToUtf8& toUtf8);
