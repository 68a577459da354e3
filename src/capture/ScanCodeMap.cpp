#include "capture/ScanCodeMap.h"
#include <array>

namespace {

// Scan codes 0x00-0x7F of the US layout; the keypad keys give their navigation codes.
constexpr std::array<std::uint8_t, 128> kUsLayout = {
    0,   27,  '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', 189, 187, 8,   9,   // 0x00
    'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', 219, 221, 13,  17,  'A', 'S', // 0x10
    'D', 'F', 'G', 'H', 'J', 'K', 'L', 186, 222, 192, 16,  220, 'Z', 'X', 'C', 'V', // 0x20
    'B', 'N', 'M', 188, 190, 191, 16,  106, 18,  32,  20,  112, 113, 114, 115, 116, // 0x30
    117, 118, 119, 120, 121, 144, 145, 36,  38,  33,  109, 37,  12,  39,  107, 35,  // 0x40
    40,  34,  45,  46,  44,  0,   226, 122, 123, 12,  238, 241, 234, 249, 245, 243, // 0x50
    0,   0,   251, 47,  124, 125, 126, 127, 128, 129, 130, 131, 132, 133, 134, 237, // 0x60
    0,   233, 0,   193, 0,   0,   135, 0,   0,   0,   0,   235, 9,   0,   194, 236, // 0x70
};

} // namespace

std::uint32_t UsScanCodeToVirtualKey(std::uint32_t scanCode) {
    return scanCode < kUsLayout.size() ? kUsLayout[scanCode] : 0;
}
