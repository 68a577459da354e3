#pragma once
// The checks Apply and OK make on the members after a successful data exchange.
#include "station/SettingsValues.h"
#include "ui/SettingsPrompts.h"
#include <string_view>

// Only ASCII letters and digits; empty passes.
bool IsValidTextCommand(std::string_view textCmd);

// The message id of what is wrong with the release command (bad characters, or the keyboards' text
// command itself), 0 when it is usable or empty.
int ReleaseCommandProblem(const SettingsValues& values);

// 0 when every check passes, else the id of the control to go back to. In order: address syntax,
// the 255 question (No goes back to the address), keyboard text command, mouse text command, a
// double quote in the application ID or in the destination.
int ValidateSettings(const SettingsValues& values, SettingsPrompts& prompts);
