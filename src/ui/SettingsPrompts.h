#pragma once
// What a settings check may ask of the window that runs it: an error or a yes/no question.
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
