#pragma once
// A driver stroke: a 20-byte little-endian buffer. Only the fields below are read; the buffer is
// re-injected unchanged.
//   keyboard: bytes 0-1 scan code, bytes 2-3 key state (1 release, 2 E0, 4 E1)
//   mouse:    bytes 0-1 button state (transitions), bytes 2-3 flags, bytes 4-5 wheel delta (signed),
//             bytes 8-11 and 12-15 movement, bytes 16-19 extra information
#include <cstdint>

struct Stroke {
    std::uint8_t bytes[20];

    std::uint16_t U16(int offset) const {
        return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
    }
    void SetU16(int offset, std::uint16_t v) {
        bytes[offset] = static_cast<std::uint8_t>(v & 0xFF);
        bytes[offset + 1] = static_cast<std::uint8_t>(v >> 8);
    }

    std::uint16_t ScanCode() const { return U16(0); }
    std::uint16_t KeyState() const { return U16(2); }
    std::uint16_t ButtonState() const { return U16(0); }
    std::int16_t WheelDelta() const { return static_cast<std::int16_t>(U16(4)); }
};
static_assert(sizeof(Stroke) == 20);

// Offset of a mouse stroke's extra information.
constexpr int kStrokeInformation = 16;

// Key-state bits of a keyboard stroke.
constexpr std::uint16_t kKeyUp = 1;
constexpr std::uint16_t kKeyE0 = 2;
constexpr std::uint16_t kKeyE1 = 4;

// Button-state transitions of a mouse stroke.
constexpr std::uint16_t kMouseLeftDown = 1, kMouseLeftUp = 2, kMouseRightDown = 4, kMouseRightUp = 8;
constexpr std::uint16_t kMouseMiddleDown = 16, kMouseMiddleUp = 32, kMouseButton4Down = 64,
                        kMouseButton4Up = 128;
constexpr std::uint16_t kMouseButton5Down = 256, kMouseButton5Up = 512, kMouseWheel = 1024,
                        kMouseHWheel = 2048;
