#pragma once
// The devices of the simulated driver, read from a description file:
//   # comment                  ignored, as are blank lines
//   3 HID\VID_046D&PID_C31C    device number 1-20 and its hardware id
//   absent                     the driver is not installed (no context can be made)
#include <string>
#include <string_view>
#include <vector>

struct SimDevices {
    bool absent = false;
    std::string ids[21];             // by device number; empty = no such device
    std::vector<std::string> errors; // lines that could not be read, for the record
};

SimDevices ParseSimDevices(std::string_view text);
