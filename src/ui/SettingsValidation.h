#pragma once
// The checks Apply and OK make on the members after a successful data exchange.
#include "ui/SettingsMembers.h"
#include <string>
#include <string_view>

// The message boxes the checks show, owned by the settings window.
class SettingsPrompts {
public:
    virtual ~SettingsPrompts() = default;
    // Error box with the string-table text of messageId (102, 105 or 125), OK button.
    virtual void ShowError(int messageId) = 0;
    // Question box with Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
};

// Only ASCII letters and digits; empty passes.
bool IsValidTextCommand(std::string_view textCmd);

// 0 when every check passes, else the id of the control to go back to. In order: address syntax
// (102, 1005), the 255 question (103; No gives 1005), keyboard text command (105, 1013), mouse text
// command (105, 1020), a double quote in the application ID (125, 1009) or the destination (125, 1014).
int ValidateSettings(const SettingsMembers& members, SettingsPrompts& prompts);
