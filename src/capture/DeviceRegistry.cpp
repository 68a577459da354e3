#include "capture/DeviceRegistry.h"
#include "app/LeadingDecimal.h"
#include "app/SettingIds.h"
#include "app/Settings.h"
#include <algorithm>
#include <cctype>
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

bool SameDeviceAt(const DeviceTable& table, DeviceClass deviceClass, int device,
                  std::string_view hardwareId) {
    return device >= FirstDeviceOf(deviceClass) && device <= LastDeviceOf(deviceClass) &&
           table[device].hardwareId == hardwareId;
}

void RestoreClass(DeviceTable& table, DeviceClass deviceClass, Settings& settings, std::vector<int>& moved) {
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
        const int found = FindDeviceByHardwareId(table, deviceClass, hardwareId);
        const int saved = ParseLeadingDecimal(number);
        if (found != 0 && found == saved) {
            table[found].index.store(ParseLeadingDecimal(index), std::memory_order_relaxed);
        } else if (found != 0 && !SameDeviceAt(table, deviceClass, saved, hardwareId) &&
                   std::find(moved.begin(), moved.end(), found) == moved.end()) {
            moved.push_back(found);
        }
    }
}

// "Device<n>", "HarwareId<n>" or "Index<n>" in any letter case, as the profile functions match keys.
bool IsDeviceEntryKey(std::string_view key) {
    for (std::string_view prefix : {"Device", "HarwareId", "Index"}) {
        if (key.size() <= prefix.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < prefix.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(key[i])) ==
                   std::tolower(static_cast<unsigned char>(prefix[i]));
        if (same && key.find_first_not_of("0123456789", prefix.size()) == std::string_view::npos)
            return true;
    }
    return false;
}

} // namespace

int FindDeviceByHardwareId(const DeviceTable& table, DeviceClass deviceClass, std::string_view hardwareId) {
    for (int d = FirstDeviceOf(deviceClass); d <= LastDeviceOf(deviceClass); ++d) {
        if (!table[d].hardwareId.empty() && table[d].hardwareId == hardwareId) {
            return d;
        }
    }
    return 0;
}

std::vector<int> LoadDevices(DeviceTable& table, const DriverApi& driver, DriverContext context,
                             Settings& settings, WideToAnsi narrow) {
    ClearDeviceTable(table);
    unsigned char buffer[kHardwareIdBufferSize];
    for (int d = kFirstKeyboard; d <= kLastMouse; ++d) {
        const unsigned size = driver.get_hardware_id(context, d, buffer, kHardwareIdBufferSize);
        table[d].hardwareId =
            size == 0 ? std::string() : HardwareIdFromBuffer(buffer, sizeof buffer, size, narrow);
    }
    std::vector<int> moved;
    RestoreClass(table, DEVICE_CLASS_KEYBOARDS, settings, moved);
    RestoreClass(table, DEVICE_CLASS_MICE, settings, moved);
    return moved;
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
    for (int d = FirstDeviceOf(deviceClass); d <= LastDeviceOf(deviceClass); ++d) {
        const std::int32_t index = table[d].index.load(std::memory_order_relaxed);
        if (index < 0) {
            continue;
        }
        ++n;
        ok = settings.WriteKey(section, EntryKey("Device", n), std::to_string(d)) && ok;
        ok = settings.WriteKey(section, EntryKey("HarwareId", n), table[d].hardwareId) && ok;
        ok = settings.WriteKey(section, EntryKey("Index", n), std::to_string(index)) && ok;
    }
    return ok;
}
