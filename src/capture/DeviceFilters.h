#pragma once
// Setting one filter mask on a chosen set of device numbers. The driver's predicate has no context
// argument, so the numbers are prepared in a process-wide mask just before the call, on the calling
// thread; the library calls the predicate for numbers 1-20 inside set_filter and keeps nothing.
// Only the user-interface thread calls this (the crash and stall paths use the class predicates).
#include "capture/DriverApi.h"
#include <cstdint>

// Bit d set: device number d is covered.
using DeviceMask = std::uint32_t;

constexpr DeviceMask DeviceBit(int device) {
    return DeviceMask{1} << device;
}

void SetFilterOn(const DriverApi& driver, DriverContext context, DeviceMask devices, unsigned short filter);
