#pragma once
// The texts that name saved devices found on another port after start-up: the tray balloon (one
// device a line, up to three, then "and N more", within the balloon's 255 characters). The tooltip's
// line of them is TrayTooltipText's.
#include <cstddef>
#include <string>
#include <vector>

inline constexpr std::size_t kBalloonTextMax = 255;

// One device as the user finds it in the setup dialog: "USB Port #3 (HID\VID_05A4&PID_9759)".
std::string MovedDeviceName(const std::string& portLabel, const std::string& hardwareId);

// pattern holds one %s for the device lines; moreFormat one %d for the devices not listed.
std::string MovedDevicesBalloon(const std::string& pattern, const std::vector<std::string>& names,
                                const std::string& moreFormat);
