#pragma once
// The station name, by which every network destination names this PC ([Connections] Station):
// letters and digits, 1 to 15 of them. Without one in the file it comes from the computer name.
#include "settings/Settings.h"

#include <string>
#include <string_view>

inline constexpr std::size_t kStationNameMax = 15;

bool IsValidStationName(std::string_view name);
// The computer name with every character but ASCII letters and digits left out and cut to 15;
// "station" when nothing is left.
std::string DefaultStationName(std::string_view computerName);
// The saved station name, or the default of computerName when none is saved. A saved name that is
// not valid is returned as it is, for the Connections dialog to show and refuse.
std::string LoadStationName(Settings& settings, std::string_view computerName);
bool SaveStationName(Settings& settings, std::string_view name);
