#pragma once
// Readable port labels of one class's devices for the setup dialog, from the hardware ids:
// "ACPI\..." is a PS/2 port, "HID\..." a USB port (case counts), anything else unknown; each kind
// is counted in device-number order, and a slot without a device is not defined. The texts are
// IDS_PORT_PS2, IDS_PORT_USB and IDS_PORT_UNKNOWN with the count, and IDS_NOT_DEFINED.
#include "capture/DeviceTable.h"
#include "winfx/Texts.h"

#include <array>
#include <string>

// Labels indexed by device number; entries outside the class stay empty.
std::array<std::string, kDeviceCount> PortLabels(const DeviceTable& table, DeviceClass deviceClass,
                                                 const Texts& texts);
