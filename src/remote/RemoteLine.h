#pragma once
// The line handed to KvCom for every command:
//   REMOTE: "<application ID, or REMOTE when empty>" "<destination>" "<command>" 1
// Fields are not escaped; settings validation keeps double quotes out of the ID and destination.
#include "settings/SettingDefaults.h"

#include <string>
#include <string_view>

std::string FormatRemoteLine(std::string_view applicationId, std::string_view destination,
                             std::string_view command);
