#include "capture/DeviceRegistry.h"
#include "base/AsciiCase.h"
#include "base/LeadingDecimal.h"
#include "settings/SettingIds.h"
#include "settings/Settings.h"
#include <algorithm>
#include <array>
#include <string>

namespace {

constexpr unsigned kHardwareIdBufferSize = 1000;
constexpr int kMaxSavedEntries = 10;

int SectionOf(DeviceClass deviceClass) {
    return deviceClass == DEVICE_CLASS_MICE ? SECTION_MOUSES : SECTION_KEYBOARDS;
}

std::string EntryKey(const char* prefix, int n) {
    return prefix + std::to_string(n);
}

bool InClass(DeviceClass deviceClass, int device) {
    return device >= FirstDeviceOf(deviceClass) && device <= LastDeviceOf(deviceClass);
}

bool InClass(DeviceClass deviceClass, const KeptDeviceEntry& entry) {
    return entry.deviceClass == deviceClass;
}

bool FreeWithId(const DeviceTable& table, int device, std::string_view hardwareId) {
    return !table[device].hardwareId.empty() && table[device].hardwareId == hardwareId &&
           table[device].index.load(std::memory_order_relaxed) < 0;
}

// The id the driver reports for a device number; empty when there is no device.
std::string ReadHardwareId(const DriverApi& driver, DriverContext context, int device, WideToAnsi narrow) {
    unsigned char buffer[kHardwareIdBufferSize];
    const unsigned size = driver.get_hardware_id(context, device, buffer, kHardwareIdBufferSize);
    return size == 0 ? std::string() : HardwareIdFromBuffer(buffer, sizeof buffer, size, narrow);
}

void ReadSavedEntries(DeviceTable& table, DeviceClass deviceClass, Settings& settings) {
    const int section = SectionOf(deviceClass);
    for (int n = 1; n <= kMaxSavedEntries; ++n) {
        const std::string number = settings.ReadKey(section, EntryKey("Device", n), "");
        if (number.empty()) {
            return;
        }
        const std::string hardwareId = settings.ReadKey(section, EntryKey("HarwareId", n), "");
        if (hardwareId.empty()) {
            return;
        }
        const std::string index = settings.ReadKey(section, EntryKey("Index", n), "");
        // The section says the class: an entry numbered outside it can only be placed by following.
        table.kept.push_back(
            {deviceClass, ParseLeadingDecimal(number), hardwareId, ParseLeadingDecimal(index), {}, true});
    }
}

void Append(std::vector<int>& numbers, int device) {
    if (std::find(numbers.begin(), numbers.end(), device) == numbers.end())
        numbers.push_back(device);
}

// "Device<n>", "HarwareId<n>" or "Index<n>" in any letter case, as the profile functions match keys.
bool IsDeviceEntryKey(std::string_view key) {
    for (std::string_view prefix : {"Device", "HarwareId", "Index"}) {
        if (key.size() > prefix.size() && SameIgnoringAsciiCase(key.substr(0, prefix.size()), prefix) &&
            key.find_first_not_of("0123456789", prefix.size()) == std::string_view::npos)
            return true;
    }
    return false;
}

std::vector<int> FreeNumbersWithId(const DeviceTable& table, DeviceClass deviceClass,
                                   std::string_view hardwareId) {
    std::vector<int> numbers;
    for (int d = FirstDeviceOf(deviceClass); d <= LastDeviceOf(deviceClass); ++d)
        if (FreeWithId(table, d, hardwareId))
            numbers.push_back(d);
    return numbers;
}

bool SavedNumberHoldsId(const DeviceTable& table, const KeptDeviceEntry& entry) {
    return InClass(entry.deviceClass, entry.device) && table[entry.device].hardwareId == entry.hardwareId;
}

// An entry whose saved number holds a free device with its id is restored there, identical models
// included; it leaves table.kept.
void RestoreAtSavedNumbers(DeviceTable& table, DeviceClass deviceClass) {
    std::erase_if(table.kept, [&](const KeptDeviceEntry& entry) {
        if (!InClass(deviceClass, entry) || !InClass(deviceClass, entry.device) ||
            !FreeWithId(table, entry.device, entry.hardwareId))
            return false;
        table[entry.device].index.store(entry.index, std::memory_order_relaxed);
        return true;
    });
}

// The free numbers holding the id of an entry left over whose saved number does not hold it, only
// those among `arrived` when it is given; true when there is one.
bool Report(const DeviceTable& table, const KeptDeviceEntry& entry, DevicePlacement& placement,
            const std::vector<int>* arrived = nullptr) {
    if (SavedNumberHoldsId(table, entry))
        return false;
    bool any = false;
    for (int d : FreeNumbersWithId(table, entry.deviceClass, entry.hardwareId)) {
        if (arrived && std::find(arrived->begin(), arrived->end(), d) == arrived->end())
            continue;
        Append(placement.ambiguous, d);
        any = true;
    }
    return any;
}

DevicePlacement PlaceAtStartUp(DeviceTable& table, DeviceClass deviceClass) {
    RestoreAtSavedNumbers(table, deviceClass);
    DevicePlacement placement;
    for (KeptDeviceEntry& entry : table.kept)
        if (InClass(deviceClass, entry) && Report(table, entry, placement))
            entry.mayFollow = false;
    return placement;
}

// The number an entry left over is followed to at a re-read, 0 for none. `changed` holds the
// numbers whose id changed at this read.
int FollowTarget(const DeviceTable& table, const KeptDeviceEntry& entry, const std::vector<int>& changed) {
    if (!entry.mayFollow || SavedNumberHoldsId(table, entry))
        return 0;
    int target = 0;
    for (int d : changed) {
        if (!InClass(entry.deviceClass, d) || table[d].hardwareId != entry.hardwareId)
            continue;
        if (target != 0)
            return 0; // two arrived with the id: either may be a main device
        target = d;
    }
    if (target == 0 || !FreeWithId(table, target, entry.hardwareId))
        return 0;
    const bool alone = std::none_of(table.kept.begin(), table.kept.end(), [&](const KeptDeviceEntry& other) {
        return &other != &entry && other.deviceClass == entry.deviceClass &&
               other.hardwareId == entry.hardwareId;
    });
    return alone ? target : 0;
}

DevicePlacement PlaceAtReread(DeviceTable& table, DeviceClass deviceClass, const std::vector<int>& changed) {
    RestoreAtSavedNumbers(table, deviceClass);
    std::vector<KeptDeviceEntry>& kept = table.kept;
    // Decided on the entries left over before any of them is followed.
    std::vector<int> followAt(kept.size(), 0);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        KeptDeviceEntry& entry = kept[i];
        if (!InClass(deviceClass, entry))
            continue;
        // A twin that moved may be the device arriving now, and the keypad may come back as one.
        if (!std::all_of(entry.mainTwins.begin(), entry.mainTwins.end(),
                         [&](int d) { return FreeWithId(table, d, entry.hardwareId); }))
            entry.mayFollow = false;
        followAt[i] = FollowTarget(table, entry, changed);
    }
    DevicePlacement placement;
    std::vector<KeptDeviceEntry> left;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (followAt[i] == 0) {
            left.push_back(std::move(kept[i]));
            continue;
        }
        table[followAt[i]].index.store(kept[i].index, std::memory_order_relaxed);
        placement.followed.push_back(followAt[i]);
    }
    kept = std::move(left);
    // A device that was there before this read was named when it came, or is a main twin.
    for (const KeptDeviceEntry& entry : kept)
        if (InClass(deviceClass, entry))
            Report(table, entry, placement, &changed);
    return placement;
}

} // namespace

void AppendPlacement(DevicePlacement& into, const DevicePlacement& from) {
    for (int device : from.followed)
        Append(into.followed, device);
    for (int device : from.ambiguous)
        Append(into.ambiguous, device);
}

DevicePlacement LoadDevices(DeviceTable& table, const DriverApi& driver, DriverContext context,
                            Settings& settings, WideToAnsi narrow) {
    ClearDeviceTable(table);
    for (int d = kFirstKeyboard; d <= kLastMouse; ++d)
        table[d].hardwareId = ReadHardwareId(driver, context, d, narrow);
    ReadSavedEntries(table, DEVICE_CLASS_KEYBOARDS, settings);
    ReadSavedEntries(table, DEVICE_CLASS_MICE, settings);
    DevicePlacement placement = PlaceAtStartUp(table, DEVICE_CLASS_KEYBOARDS);
    AppendPlacement(placement, PlaceAtStartUp(table, DEVICE_CLASS_MICE));
    return placement;
}

DeviceChanges RereadDevices(DeviceTable& table, const DriverApi& driver, DriverContext context,
                            WideToAnsi narrow) {
    DeviceChanges changes;
    std::array<std::string, kDeviceCount> ids;
    for (int d = kFirstKeyboard; d <= kLastMouse; ++d) {
        ids[d] = ReadHardwareId(driver, context, d, narrow);
        if (ids[d] != table[d].hardwareId)
            changes.changed.push_back(d);
    }
    // The devices that went, with their main twins as the table had them before this read.
    for (int d : changes.changed) {
        const DeviceClass deviceClass = IsMouseNumber(d) ? DEVICE_CLASS_MICE : DEVICE_CLASS_KEYBOARDS;
        const AuxDevice& record = table[d];
        if (const std::int32_t index = record.index.load(std::memory_order_relaxed);
            index >= 0 && !record.hardwareId.empty())
            table.kept.push_back({deviceClass, d, record.hardwareId, index,
                                  FreeNumbersWithId(table, deviceClass, record.hardwareId), true});
    }
    for (int d : changes.changed) {
        // The capture thread reads the index alone: it is cleared before the id changes.
        table[d].index.store(-1, std::memory_order_relaxed);
        table[d].hardwareId = std::move(ids[d]);
    }
    changes.placement = PlaceAtReread(table, DEVICE_CLASS_KEYBOARDS, changes.changed);
    AppendPlacement(changes.placement, PlaceAtReread(table, DEVICE_CLASS_MICE, changes.changed));
    return changes;
}

bool SaveDevices(const DeviceTable& table, DeviceClass deviceClass, Settings& settings) {
    if (deviceClass != DEVICE_CLASS_KEYBOARDS && deviceClass != DEVICE_CLASS_MICE) {
        return true;
    }
    const int section = SectionOf(deviceClass);
    bool ok = true;
    // Every earlier entry goes, however numbered, gaps and hand-made ones included.
    for (const std::string& key : settings.KeyNames(section)) {
        if (IsDeviceEntryKey(key)) {
            ok = settings.DeleteKey(section, key) && ok;
        }
    }
    int n = 0;
    const auto write = [&](int device, const std::string& hardwareId, std::int32_t index) {
        ++n;
        ok = settings.WriteKey(section, EntryKey("Device", n), std::to_string(device)) && ok;
        ok = settings.WriteKey(section, EntryKey("HarwareId", n), hardwareId) && ok;
        ok = settings.WriteKey(section, EntryKey("Index", n), std::to_string(index)) && ok;
    };
    for (int d = FirstDeviceOf(deviceClass); d <= LastDeviceOf(deviceClass) && n < kMaxSavedEntries; ++d) {
        const std::int32_t index = table[d].index.load(std::memory_order_relaxed);
        if (index >= 0)
            write(d, table[d].hardwareId, index);
    }
    for (const KeptDeviceEntry& entry : table.kept) {
        if (n >= kMaxSavedEntries)
            break;
        // A duplicate of a device placed at its number says nothing more.
        const bool duplicate = InClass(deviceClass, entry.device) &&
                               table[entry.device].index.load(std::memory_order_relaxed) >= 0 &&
                               table[entry.device].hardwareId == entry.hardwareId;
        if (InClass(deviceClass, entry) && !duplicate)
            write(entry.device, entry.hardwareId, entry.index);
    }
    return ok;
}
