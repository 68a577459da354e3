#include "capture/DeviceTable.h"

void ClearDeviceTable(DeviceTable& table) {
    for (AuxDevice& device : table) {
        device.hardwareId.clear();
        device.index.store(-1, std::memory_order_relaxed);
    }
    table.kept.clear();
}

int CountPresentDevices(const DeviceTable& table, DeviceClass deviceClass) {
    if (deviceClass != DEVICE_CLASS_KEYBOARDS && deviceClass != DEVICE_CLASS_MICE) {
        return 0;
    }
    int count = 0;
    for (int d = FirstDeviceOf(deviceClass); d <= LastDeviceOf(deviceClass); ++d) {
        count += table[d].hardwareId.empty() ? 0 : 1;
    }
    return count;
}
