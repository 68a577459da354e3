#include "ui/SettingsValidation.h"
#include "base/AsciiCase.h"
#include "res/resource.h"
#include "remote/CommandComposer.h"
#include "station/BroadcastAddressCheck.h"

bool IsValidTextCommand(std::string_view textCmd) {
    for (char c : textCmd) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !digit)
            return false;
    }
    return true;
}

int ReleaseCommandProblem(const SettingsValues& values) {
    if (!IsValidTextCommand(values.keyboards.releaseTextCmd))
        return IDS_TEXTCMD_INVALID;
    // An old receiver would read a release under the press's own command as a second press.
    if (!values.keyboards.releaseTextCmd.empty() &&
        SameIgnoringAsciiCase(values.keyboards.releaseTextCmd,
                              EffectiveTextCmd(values.keyboards.textCmd, DEVICE_CLASS_KEYBOARDS)))
        return IDS_RELEASE_SAME_AS_TEXT;
    return 0;
}

int ValidateSettings(const SettingsValues& values, SettingsPrompts& prompts) {
    const BroadcastAddressVerdict address = ValidateBroadcastAddress(values.broadcastAddress);
    if (address.kind == BroadcastAddressVerdict::Invalid) {
        prompts.ShowError(IDS_INVALID_IP);
        return IDC_BROADCAST_ADDRESS;
    }
    if (address.kind == BroadcastAddressVerdict::Ask &&
        !prompts.AskYesNo(IDS_CONFIRM_BROADCAST, values.broadcastAddress))
        return IDC_BROADCAST_ADDRESS;
    if (!IsValidTextCommand(values.keyboards.textCmd)) {
        prompts.ShowError(IDS_TEXTCMD_INVALID);
        return IDC_KEYB_TEXTCMD;
    }
    if (const int problem = ReleaseCommandProblem(values); problem != 0) {
        prompts.ShowError(problem);
        return IDC_KEYB_RELEASE_CMD;
    }
    if (!IsValidTextCommand(values.mouses.textCmd)) {
        prompts.ShowError(IDS_TEXTCMD_INVALID);
        return IDC_MOUSE_TEXTCMD;
    }
    // A double quote would end its field early and break the REMOTE line.
    if (values.applicationId.find('"') != std::string::npos) {
        prompts.ShowError(IDS_NO_DOUBLE_QUOTES);
        return IDC_APPLICATION_ID;
    }
    if (values.destination.find('"') != std::string::npos) {
        prompts.ShowError(IDS_NO_DOUBLE_QUOTES);
        return IDC_DESTINATION;
    }
    return 0;
}
