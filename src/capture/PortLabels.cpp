#include "capture/PortLabels.h"
#include <string_view>

std::array<std::string, kDeviceCount> PortLabels(const DeviceTable& table, DeviceClass deviceClass) {
    std::array<std::string, kDeviceCount> labels;
    if (deviceClass != DEVICE_CLASS_KEYBOARDS && deviceClass != DEVICE_CLASS_MICE) {
        return labels;
    }
    int ps2 = 0, usb = 0, unknown = 0;
    for (int d = FirstDeviceOf(deviceClass); d <= LastDeviceOf(deviceClass); ++d) {
        const std::string_view id = table[d].hardwareId;
        if (id.empty()) {
            labels[d] = "Not Defined";
        } else if (id.starts_with("ACPI\\")) {
            labels[d] = "PS/2 Port #" + std::to_string(++ps2);
        } else if (id.starts_with("HID\\")) {
            labels[d] = "USB Port #" + std::to_string(++usb);
        } else {
            labels[d] = "Unknown Port " + std::to_string(++unknown);
        }
    }
    return labels;
}
