#include "remote/CommandComposer.h"

std::string_view EffectiveTextCmd(std::string_view textCmd, DeviceClass deviceClass) {
    if (!textCmd.empty())
        return textCmd;
    return deviceClass == DEVICE_CLASS_MICE ? kDefaultMouseTextCmd : kDefaultKeyboardTextCmd;
}

int CommandIndex(DeviceClass deviceClass, EventIndex index, int mainIndexKeyboard, int mainIndexMouse) {
    if (index)
        return *index;
    return deviceClass == DEVICE_CLASS_MICE ? mainIndexMouse : mainIndexKeyboard;
}

std::string ComposeCommand(std::string_view textCmd, DeviceClass deviceClass, int32_t code, int16_t value,
                           EventIndex index, int mainIndexKeyboard, int mainIndexMouse) {
    if (deviceClass != DEVICE_CLASS_KEYBOARDS && deviceClass != DEVICE_CLASS_MICE)
        return {};
    std::string command(EffectiveTextCmd(textCmd, deviceClass));
    command += '/';
    command += std::to_string(code);
    command += '/';
    command += std::to_string(value);
    command += '/';
    command += std::to_string(CommandIndex(deviceClass, index, mainIndexKeyboard, mainIndexMouse));
    return command;
}
