#pragma once
// The device table: one record per driver device number 0-20 with the hardware id the driver
// reports and the device index (0-255 auxiliary, negative main device), and the saved entries whose
// device is not present now. One instance for the process; the capture thread reads the indexes,
// the user-interface thread writes everything.
#include "capture/DeviceClass.h"
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct AuxDevice {
    std::string hardwareId;              // empty: no device at this number
    std::atomic<std::int32_t> index{-1}; // shared with the capture thread: plain loads and stores
};

// A saved auxiliary device that no present device took: kept in memory and written back after the
// present ones, so a device unplugged while the settings are saved is not forgotten.
struct KeptDeviceEntry {
    DeviceClass deviceClass = DEVICE_CLASS_KEYBOARDS; // the section it was saved in
    int device = 0;                                   // the number it was saved with
    std::string hardwareId;
    std::int32_t index = 0;
    // For following it to a new number: the numbers that held its id as main devices just before
    // it went (its main twins), and whether it may still be followed in this run.
    std::vector<int> mainTwins;
    bool mayFollow = true;
    bool operator==(const KeptDeviceEntry&) const = default;
};

struct DeviceTable {
    std::array<AuxDevice, kDeviceCount> records;
    std::vector<KeptDeviceEntry> kept; // user-interface thread only

    AuxDevice& operator[](std::size_t device) { return records[device]; }
    const AuxDevice& operator[](std::size_t device) const { return records[device]; }
    auto begin() { return records.begin(); }
    auto end() { return records.end(); }
    auto begin() const { return records.begin(); }
    auto end() const { return records.end(); }
    static constexpr std::size_t size() { return kDeviceCount; }
};

// Empty hardware ids, index -1 everywhere and no kept entry: no auxiliary device.
void ClearDeviceTable(DeviceTable& table);

// Records of the class with a non-empty hardware id.
int CountPresentDevices(const DeviceTable& table, DeviceClass deviceClass);
