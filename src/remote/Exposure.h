#pragma once
// The exposure rule: which (class, index) the network destinations see. One is shown while a device
// with that index is present and its class is captured (its UseAux on); devices sharing an index
// share it.
#include "capture/DeviceTable.h"
#include "connections/DestinationEvent.h"
#include <vector>

// Sorted, each (class, index) once.
std::vector<ExposedDevice> ExposedDevices(const DeviceTable& table, bool keyboardsOn, bool miceOn);
