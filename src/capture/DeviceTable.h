#pragma once
// The device table: one record per driver device number 0-20 with the hardware id the driver
// reports and the device index (0-255 auxiliary, negative main device). One instance for the
// process; the capture thread reads the indexes, the user-interface thread writes them.
#include "capture/DeviceClass.h"
#include <array>
#include <atomic>
#include <cstdint>
#include <string>

struct AuxDevice {
    std::string hardwareId;              // empty: no device at this number
    std::atomic<std::int32_t> index{-1}; // shared with the capture thread: plain loads and stores
};

using DeviceTable = std::array<AuxDevice, kDeviceCount>;

// Empty hardware ids and index -1 everywhere: no auxiliary device.
void ClearDeviceTable(DeviceTable& table);

// Records of the class with a non-empty hardware id.
int CountPresentDevices(const DeviceTable& table, DeviceClass deviceClass);
