#pragma once
// The device registry's link to the driver and the configuration file: filling the table from the
// driver's hardware ids, placing the saved entries on the devices present, following the changes
// while the program runs, and writing one class back.
#include "capture/DeviceTable.h"
#include "capture/DriverApi.h"
#include "capture/HardwareIdText.h"
#include <vector>

class Settings;

// What placing the saved entries found, by device number now.
struct DevicePlacement {
    // A saved device that moved to this number, the only free one with its id: its index is here.
    std::vector<int> followed;
    // Numbers holding the id of a saved device that could not be told apart from another (an id at
    // several free numbers, two saved identical devices of which one came back): not restored.
    std::vector<int> ambiguous;
};

// Adds what `from` found to `into`, each number once.
void AppendPlacement(DevicePlacement& into, const DevicePlacement& from);

// The kept entries of the class onto the present numbers that have no index, in this order:
// 1. an entry whose saved number holds a device with its id is restored there;
// 2. an entry left over is followed when exactly one free number holds its id, no other entry left
//    over has that id, and its saved number holds no device with that id;
// 3. the free numbers holding the id of any other entry left over are ambiguous.
// Placed entries leave table.kept; the others stay there.
DevicePlacement PlaceKeptEntries(DeviceTable& table, DeviceClass deviceClass);

// Hardware ids of devices 1-20 from the driver (record 0 stays empty), every index -1, the saved
// entries of "Keyboards" and "Mouses" kept and then placed. Reading a section stops at the first
// entry with an empty device number or hardware id; a missing index reads as 0.
DevicePlacement LoadDevices(DeviceTable& table, const DriverApi& driver, DriverContext context,
                            Settings& settings, WideToAnsi narrow);

// What a re-read of the hardware ids changed.
struct DeviceChanges {
    std::vector<int> changed; // numbers whose device went, came or is another one now
    DevicePlacement placement;
};

// Reads the 20 hardware ids again and updates the table in place: a number whose id is unchanged
// keeps its index; a number whose device went or changed loses it, and an auxiliary device that went
// becomes a kept entry; then the kept entries of both classes are placed.
DeviceChanges RereadDevices(DeviceTable& table, const DriverApi& driver, DriverContext context,
                            WideToAnsi narrow);

// Removes every key of the class's section that reads as "Device<n>", "HarwareId<n>" or "Index<n>"
// in any letter case, however numbered (the section's other keys stay), and writes the devices with
// an index of 0 or more as entries 1, 2, ... in device-number order, then the class's kept entries,
// at most 10 in all (no more are read back). False when a removal or write failed. A class other
// than keyboards or mice writes nothing.
bool SaveDevices(const DeviceTable& table, DeviceClass deviceClass, Settings& settings);
