#pragma once
// The checks Apply and OK make on the members after a successful data exchange.
#include "station/SettingsValues.h"
#include <string_view>

// The message boxes the checks show, owned by the settings window.
class SettingsPrompts {
public:
    virtual ~SettingsPrompts() = default;
    // Error box with the string-table text of messageId, OK button.
    virtual void ShowError(int messageId) = 0;
    // Question box with the string-table text of messageId, argument filled in, Yes and No; true
    // for Yes.
    virtual bool AskYesNo(int messageId, std::string_view argument) = 0;
};

// Only ASCII letters and digits; empty passes.
bool IsValidTextCommand(std::string_view textCmd);

// The message id of what is wrong with the release command (bad characters, or the keyboards' text
// command itself), 0 when it is usable or empty.
int ReleaseCommandProblem(const SettingsValues& values);

// 0 when every check passes, else the id of the control to go back to. In order: address syntax,
// the 255 question (No goes back to the address), keyboard text command, mouse text command, a
// double quote in the application ID or in the destination.
int ValidateSettings(const SettingsValues& values, SettingsPrompts& prompts);
