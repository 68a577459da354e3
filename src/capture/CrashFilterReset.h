#pragma once
// The last act of a crashing process: set both driver filters to 0, so that the driver stops
// holding back strokes that nobody would give back, and the user keeps a keyboard and a mouse.
// Called from the crash handlers, on whichever thread crashed, possibly with the heap or a lock in
// a broken state: it allocates nothing and takes no lock, only loads what Arm stored.
#include "capture/DriverApi.h"
#include <atomic>

// From now on ClearFiltersOnCrash uses this driver table and whatever context `context` holds then.
// Both must outlive the arming; Disarm before they go.
void ArmCrashFilterReset(const DriverApi& driver, const std::atomic<DriverContext>& context);
void DisarmCrashFilterReset();

// Both filters to 0 when armed and a context exists; nothing otherwise.
void ClearFiltersOnCrash() noexcept;
