#include "remote/Exposure.h"
#include <algorithm>

std::vector<ExposedDevice> ExposedDevices(const DeviceTable& table, bool keyboardsOn, bool miceOn) {
    std::vector<ExposedDevice> shown;
    for (int device = kFirstKeyboard; device <= kLastMouse; ++device) {
        const DeviceClass deviceClass = IsKeyboardNumber(device) ? DEVICE_CLASS_KEYBOARDS : DEVICE_CLASS_MICE;
        if (!(deviceClass == DEVICE_CLASS_KEYBOARDS ? keyboardsOn : miceOn))
            continue;
        const std::int32_t index = table[device].index.load(std::memory_order_relaxed);
        if (table[device].hardwareId.empty() || index < 0)
            continue;
        shown.push_back({deviceClass, static_cast<int>(index)});
    }
    std::sort(shown.begin(), shown.end());
    shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
    return shown;
}
