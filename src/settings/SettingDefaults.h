#pragma once
// The value of each setting when the file, its section or its key is missing; also what the
// settings window's Default buttons put back and what a command uses for an empty text command
// or application ID. Defined here only.
#include <string_view>

inline constexpr std::string_view kDefaultBroadcastAddress = ""; // none: the settings window opens
inline constexpr int kDefaultPort = 9871;
inline constexpr std::string_view kDefaultApplicationId = "REMOTE";
inline constexpr std::string_view kDefaultDestination = "";
inline constexpr bool kDefaultUseAux = false;
inline constexpr int kDefaultMainIndex = 0;
inline constexpr std::string_view kDefaultKeyboardTextCmd = "AUXKEYB";
inline constexpr std::string_view kDefaultMouseTextCmd = "AUXMOUSE";
inline constexpr std::string_view kDefaultCompanionHost = ""; // off
inline constexpr int kDefaultCompanionPort = 16622;           // Companion's Satellite port
inline constexpr std::string_view kDefaultCompanionKeyboardLayout = "keypad";
