#include "station/Exposure.h"
#include <algorithm>

namespace {

bool ClassOn(DeviceClass deviceClass, ClassFlags flags) {
    return deviceClass == DEVICE_CLASS_KEYBOARDS ? flags.keyboards : flags.mice;
}

} // namespace

std::vector<ExposedDevice> ExposedDevices(const DeviceTable& table, ClassFlags captured,
                                          ClassFlags keptKnown) {
    std::vector<ExposedDevice> shown;
    for (int device = kFirstKeyboard; device <= kLastMouse; ++device) {
        const DeviceClass deviceClass = IsKeyboardNumber(device) ? DEVICE_CLASS_KEYBOARDS : DEVICE_CLASS_MICE;
        if (!ClassOn(deviceClass, captured))
            continue;
        const std::int32_t index = table[device].index.load(std::memory_order_relaxed);
        if (table[device].hardwareId.empty() || index < 0)
            continue;
        shown.push_back({deviceClass, static_cast<int>(index)});
    }
    // A saved device that is away keeps its index in use: known, but not present.
    for (const KeptDeviceEntry& entry : table.kept) {
        if (!ClassOn(entry.deviceClass, keptKnown) || entry.index < 0)
            continue;
        const ExposedDevice away{entry.deviceClass, static_cast<int>(entry.index), false};
        if (std::none_of(shown.begin(), shown.end(), [&](const ExposedDevice& d) {
                return d.deviceClass == away.deviceClass && d.index == away.index;
            }))
            shown.push_back(away);
    }
    std::sort(shown.begin(), shown.end());
    shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
    return shown;
}
