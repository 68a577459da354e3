#pragma once
// What a network destination is told about an auxiliary device: the tracker of what is down turns the
// capture thread's events into these, one press and one release per key however long it repeats.
#include "capture/DeviceClass.h"
#include <cstdint>

enum class DestinationEventKind : std::uint8_t {
    Press,   // a key or mouse button went down
    Release, // its release, physical or forced; carries the press's code and value
    Wheel,   // a mouse wheel turn, delta in wheel units (120 per notch, negative towards the user)
};

// Mouse buttons as destinations name them.
enum class MouseButton : std::uint8_t { None, Left, Right, Middle };

struct DestinationEvent {
    DeviceClass deviceClass = DEVICE_CLASS_KEYBOARDS;
    int index = 0; // the device index 0-255 (shared by every device with that index)
    DestinationEventKind kind = DestinationEventKind::Press;
    std::int32_t code = 0;  // keyboards: the translated key code of the REMOTE line
    std::int16_t value = 0; // keyboards: the press's modifier flags (1 Shift, 2 Alt, 4 Ctrl)
    int key = -1;           // keyboards: scan code with the E0 bit (0x100), -1 when not known
    MouseButton button = MouseButton::None; // mice, Press and Release
    int delta = 0;                          // mice, Wheel
    bool operator==(const DestinationEvent&) const = default;
};

// One (class, index) a destination sees: a device with that index is present and its class is
// captured. `present` false keeps a known index whose devices are all away.
struct ExposedDevice {
    DeviceClass deviceClass = DEVICE_CLASS_KEYBOARDS;
    int index = 0;
    bool operator==(const ExposedDevice&) const = default;
    auto operator<=>(const ExposedDevice&) const = default;
};
