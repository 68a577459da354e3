#include "ui/SettingsValidation.h"
#include "ui/BroadcastAddressCheck.h"
#include "ui/SettingsControlIds.h"
#include "ui/SettingsMessages.h"

bool IsValidTextCommand(std::string_view textCmd) {
    for (char c : textCmd) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !digit)
            return false;
    }
    return true;
}

int ValidateSettings(const SettingsMembers& members, SettingsPrompts& prompts) {
    const BroadcastAddressVerdict address = ValidateBroadcastAddress(members.broadcastAddress);
    if (address.kind == BroadcastAddressVerdict::Invalid) {
        prompts.ShowError(kMsgInvalidIpAddress);
        return settings_ctl::kBroadcastAddress;
    }
    if (address.kind == BroadcastAddressVerdict::Ask && !prompts.AskYesNo(address.question))
        return settings_ctl::kBroadcastAddress;
    if (!IsValidTextCommand(members.keyboardTextCmd)) {
        prompts.ShowError(kMsgBadTextCommand);
        return settings_ctl::kKeyboardTextCmd;
    }
    if (!IsValidTextCommand(members.mouseTextCmd)) {
        prompts.ShowError(kMsgBadTextCommand);
        return settings_ctl::kMouseTextCmd;
    }
    // A double quote would end its field early and break the REMOTE line.
    if (members.applicationId.find('"') != std::string::npos) {
        prompts.ShowError(kMsgQuoteInIdOrDestination);
        return settings_ctl::kApplicationId;
    }
    if (members.destination.find('"') != std::string::npos) {
        prompts.ShowError(kMsgQuoteInIdOrDestination);
        return settings_ctl::kDestination;
    }
    return 0;
}
