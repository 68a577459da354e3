#pragma once
// Scan code to virtual-key code as MapVirtualKeyA(scan, 1) gives it: no left/right distinction, the
// E0 prefix and Num Lock ignored, 0 for a code without translation. The capture loop takes the
// mapping as a function pointer: MapVirtualKeyA on Windows, the US-layout table below elsewhere.
#include <cstdint>

using VirtualKeyMapper = std::uint32_t (*)(std::uint32_t scanCode);

// US keyboard layout.
std::uint32_t UsScanCodeToVirtualKey(std::uint32_t scanCode);
