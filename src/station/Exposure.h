#pragma once
// The exposure rule: which (class, index) the network destinations see. One is shown while a device
// with that index is present and its class is captured (its UseAux on); devices sharing an index
// share it. An index that a saved device keeps while it is away stays known, as not present, so a
// destination can tell a device that is unplugged from an index that is no longer used.
#include "capture/DeviceTable.h"
#include "connections/DestinationEvent.h"
#include <vector>

// Per class: keyboards, mice.
struct ClassFlags {
    bool keyboards = false;
    bool mice = false;
};

// Sorted, each (class, index) once. captured: the classes captured now; keptKnown: the classes whose
// saved devices that are away stay known.
std::vector<ExposedDevice> ExposedDevices(const DeviceTable& table, ClassFlags captured,
                                          ClassFlags keptKnown);
