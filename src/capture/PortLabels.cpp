#include "capture/PortLabels.h"

#include "res/resource.h"

#include <string_view>

std::array<std::string, kDeviceCount> PortLabels(const DeviceTable& table, DeviceClass deviceClass,
                                                 const Texts& texts) {
    std::array<std::string, kDeviceCount> labels;
    if (deviceClass != DEVICE_CLASS_KEYBOARDS && deviceClass != DEVICE_CLASS_MICE) {
        return labels;
    }
    int ps2 = 0, usb = 0, unknown = 0;
    for (int d = FirstDeviceOf(deviceClass); d <= LastDeviceOf(deviceClass); ++d) {
        const std::string_view id = table[d].hardwareId;
        if (id.empty()) {
            labels[d] = texts.Load(IDS_NOT_DEFINED);
        } else if (id.starts_with("ACPI\\")) {
            labels[d] = texts.Format(IDS_PORT_PS2, {std::to_string(++ps2)});
        } else if (id.starts_with("HID\\")) {
            labels[d] = texts.Format(IDS_PORT_USB, {std::to_string(++usb)});
        } else {
            labels[d] = texts.Format(IDS_PORT_UNKNOWN, {std::to_string(++unknown)});
        }
    }
    return labels;
}
