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
    // A saved device followed to this number, where it arrived: its index is here.
    std::vector<int> followed;
    // Free numbers holding the id of a saved device that was not placed, its saved number not
    // holding that id: they work as main devices until the user sets them up.
    std::vector<int> ambiguous;
};

// Adds what `from` found to `into`, each number once.
void AppendPlacement(DevicePlacement& into, const DevicePlacement& from);

// Hardware ids of devices 1-20 from the driver (record 0 stays empty), every index -1, the saved
// entries of "Keyboards" and "Mouses" kept and then placed. Reading a section stops at the first
// entry with an empty device number or hardware id; a missing index reads as 0.
// An entry whose saved number holds a free device with its id is restored there (identical models
// included). Nothing is followed: a main device of the same model cannot be told from it. The free
// numbers holding the id of an entry left over are ambiguous, and such an entry is never followed.
DevicePlacement LoadDevices(DeviceTable& table, const DriverApi& driver, DriverContext context,
                            Settings& settings, WideToAnsi narrow);

// What a re-read of the hardware ids changed.
struct DeviceChanges {
    std::vector<int> changed; // numbers whose device went, came or is another one now
    DevicePlacement placement;
};

// Reads the 20 hardware ids again and updates the table in place: a number whose id is unchanged
// keeps its index; a number whose device went or changed loses it, and an auxiliary device that went
// becomes a kept entry, with the free numbers that held its id before this read as its main twins.
// Then, per class, entries are restored at their saved numbers as at start-up, and an entry left
// over is followed to number N only when
//   1. N took the id at this read, and no other number did;
//   2. each of its main twins still holds the id without an index (once one does not, the entry is
//      never followed again: a twin that moved cannot be told from the keypad);
//   3. no other entry left over has the id;
//   4. its saved number does not hold the id.
// For an entry not followed, the free numbers that took its id at this read are ambiguous, as at
// start-up (a device there before was named when it came, or is a main twin).
DeviceChanges RereadDevices(DeviceTable& table, const DriverApi& driver, DriverContext context,
                            WideToAnsi narrow);

// Removes every key of the class's section that reads as "Device<n>", "HarwareId<n>" or "Index<n>"
// in any letter case, however numbered (the section's other keys stay), and writes the devices with
// an index of 0 or more as entries 1, 2, ... in device-number order, then the class's kept entries,
// at most 10 in all (no more are read back). False when a removal or write failed. A class other
// than keyboards or mice writes nothing.
bool SaveDevices(const DeviceTable& table, DeviceClass deviceClass, Settings& settings);
