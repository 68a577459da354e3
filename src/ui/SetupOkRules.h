#pragma once
// What OK of the auxiliary devices setup dialog decides, over the state of its ten slots. An index
// edit's text is read like a configuration value (leading decimal, clamped to the int range).
// All or nothing: every checked slot's index is checked before any is stored, so a rejected OK
// leaves the device table and the file as they were.
#include "res/resource.h"

#include <array>
#include <cstdint>
#include <string>

inline constexpr int kSetupSlotCount = 10;

struct SetupSlot {
    bool present = false; // a device sits at the slot's number, so its check box is enabled
    bool checked = false; // marked as an auxiliary device
    std::string indexText;
};

struct SetupOkResult {
    int messageId = 0;   // 0 on success, else IDS_NEED_MAIN_DEVICE or IDS_INDEX_RANGE
    int failedSlot = -1; // 0-based slot whose index edit gets the focus, for IDS_INDEX_RANGE
    // On success the new index of every slot in device-number order; -1 marks a main device or an
    // empty slot.
    std::array<int32_t, kSetupSlotCount> indexes{};
};

// True when the value, taken as unsigned, lies in 0-255 (negatives fail).
constexpr bool IsValidDeviceIndex(int32_t value) {
    return static_cast<uint32_t>(value) <= 255;
}

SetupOkResult CheckSetupOk(const std::array<SetupSlot, kSetupSlotCount>& slots);
