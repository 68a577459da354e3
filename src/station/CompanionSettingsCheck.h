#pragma once
// Whether the "Companion" settings can be used, and what a connection to Companion is then given.
// The Connections dialog shows the message and returns to the control; a file edited by hand with a
// value that fails leaves Companion off until the value is mended.
#include "connections/CompanionSettings.h"
#include "connections/ConnectionClient.h"

struct SettingsProblem {
    int messageId = 0; // string-table id of the message, 0 when all is well
    int controlId = 0; // the field to go back to
    bool Ok() const { return messageId == 0; }
};

// In order: host (empty passes: off), port 1-65535, keyboard layout.
SettingsProblem CheckCompanionSettings(const CompanionSettings& values);

// The connection's target: off (empty host) when the settings fail their check; an IPv4 host
// without leading zeros, which Windows would read as octal.
ConnectionTarget CompanionTarget(const CompanionSettings& values);
