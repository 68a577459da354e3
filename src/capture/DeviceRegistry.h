#pragma once
// The device registry's link to the driver and the configuration file: filling the table from the
// driver's hardware ids, restoring saved indexes, and writing one class back.
#include "capture/DeviceTable.h"
#include "capture/DriverApi.h"
#include "capture/HardwareIdText.h"
#include <string_view>
#include <vector>

class Settings;

// Hardware ids of devices 1-20 from the driver (record 0 stays empty), every index -1, then the
// saved entries of "Keyboards" and "Mouses" restored by the matching rule: an entry restores its
// index only on the lowest-numbered device of the class with exactly its hardware id, and only when
// that device has the saved number. Reading a section stops at the first entry with an empty device
// number or hardware id; a missing index reads as 0.
// Returns the devices that moved: for each saved entry that was not restored because its hardware
// id is now at another number of the class and at no device of its saved number, that other number
// (two identical devices, of which only the lower is restored, did not move).
std::vector<int> LoadDevices(DeviceTable& table, const DriverApi& driver, DriverContext context,
                             Settings& settings, WideToAnsi narrow);

// The lowest device number of the class whose hardware id equals hardwareId byte for byte; 0 if none.
int FindDeviceByHardwareId(const DeviceTable& table, DeviceClass deviceClass, std::string_view hardwareId);

// Removes every key of the class's section that reads as "Device<n>", "HarwareId<n>" or "Index<n>"
// in any letter case, however numbered (the section's other keys stay), and writes the devices with an index
// of 0 or more as entries 1, 2, ... in device-number order. False when a removal or write failed. A class
// other than keyboards or mice writes nothing.
bool SaveDevices(const DeviceTable& table, DeviceClass deviceClass, Settings& settings);
