#pragma once
// The high-resolution counter the simulated driver time-stamps strokes with.
#include <cstdint>

std::int64_t SimClockTicks();
std::int64_t SimClockTicksPerSecond();
