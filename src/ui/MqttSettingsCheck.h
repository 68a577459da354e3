#pragma once
// The checks the Connections dialog's OK makes on the MQTT fields, and start-up on the [Mqtt] section
// read from a hand-edited file.
#include "connections/MqttSettings.h"
#include <string_view>

enum class MqttField { None, Host, Port, Password, Topic, KeepAlive };

struct MqttSettingsProblem {
    MqttField field = MqttField::None; // the field to go back to; None when all pass
    int messageId = 0;                 // the string-table text that says why
    bool operator==(const MqttSettingsProblem&) const = default;
};

// A topic prefix: letters, digits, -, _ and /, not at either end. Bytes above ASCII are letters of the
// ANSI code page. No + or #: they are the wildcards of subscriptions.
bool IsValidMqttTopicPrefix(std::string_view topic);

// The first failing check in the dialog's field order. An empty host (MQTT off) passes.
MqttSettingsProblem CheckMqttSettings(const MqttSettings& values);
