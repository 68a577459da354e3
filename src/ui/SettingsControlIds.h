#pragma once
// Control ids of the settings dialog (template 102) that the portable settings logic names.
// Kept in a namespace so they never collide with the resource header's macros.
namespace settings_ctl {
inline constexpr int kBroadcastAddress = 1005;
inline constexpr int kBroadcastDefault = 1006;
inline constexpr int kPort = 1007;
inline constexpr int kPortDefault = 1008;
inline constexpr int kApplicationId = 1009;
inline constexpr int kApplicationIdDefault = 1010;
inline constexpr int kKeyboardMainIndex = 1011;
inline constexpr int kLastCommand = 1012;
inline constexpr int kKeyboardTextCmd = 1013;
inline constexpr int kDestination = 1014;
inline constexpr int kKeyboardTextCmdDefault = 1015;
inline constexpr int kUseAuxKeyboards = 1016;
inline constexpr int kKeyboardsSetup = 1017;
inline constexpr int kMouseMainIndex = 1019;
inline constexpr int kMouseTextCmd = 1020;
inline constexpr int kMouseTextCmdDefault = 1021;
inline constexpr int kUseAuxMice = 1022;
inline constexpr int kMiceSetup = 1023;
} // namespace settings_ctl
