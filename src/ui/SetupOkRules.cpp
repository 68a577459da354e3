#include "ui/SetupOkRules.h"
#include <limits>

int32_t ParseIndexText(std::string_view text) {
    size_t i = 0;
    auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate the magnitude up to one past the largest negative value, then stop growing.
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > kLimit)
            magnitude = kLimit;
    }
    if (negative)
        return static_cast<int32_t>(-magnitude);
    return magnitude >= kLimit ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(magnitude);
}

SetupOkResult CheckSetupOk(const std::array<SetupSlot, kSetupSlotCount>& slots) {
    SetupOkResult result;
    bool mainDeviceLeft = false;
    for (const SetupSlot& slot : slots)
        mainDeviceLeft = mainDeviceLeft || (slot.present && !slot.checked);
    if (!mainDeviceLeft) {
        result.messageId = kMsgKeepOneDeviceUnchecked;
        return result;
    }
    for (int n = 0; n < kSetupSlotCount; ++n) {
        const SetupSlot& slot = slots[n];
        if (!slot.present || !slot.checked) {
            result.indexes[n] = -1;
            continue;
        }
        const int32_t value = ParseIndexText(slot.indexText);
        if (!IsValidDeviceIndex(value)) {
            result.messageId = kMsgIndexOutOfRange;
            result.failedSlot = n;
            result.indexes.fill(-1);
            return result;
        }
        result.indexes[n] = value;
    }
    return result;
}
