#pragma once
// The command composed for one captured event: "<text command>/<code>/<value>/<index>".
// It is what "Last command sent" shows and what the REMOTE line carries.
#include "settings/SettingDefaults.h"
#include "capture/DeviceClass.h"
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The device index an event carries: an auxiliary device's own index 0-255, or no value for the
// main-device mark, which takes the main index of the event's class.
using EventIndex = std::optional<int>;
inline constexpr std::nullopt_t kMainDeviceMark = std::nullopt;

// The text command a class uses: its "TextCmd" member, or the class default when that is empty.
std::string_view EffectiveTextCmd(std::string_view textCmd, DeviceClass deviceClass);

// The index a command carries: the event's own index, or the class's main index for the mark.
int CommandIndex(DeviceClass deviceClass, EventIndex index, int mainIndexKeyboard, int mainIndexMouse);

// Formats the command. Only classes 1 and 2 compose a command; class 0 gives an empty string.
std::string ComposeCommand(std::string_view textCmd, DeviceClass deviceClass, int32_t code, int16_t value,
                           EventIndex index, int mainIndexKeyboard, int mainIndexMouse);
