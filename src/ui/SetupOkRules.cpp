#include "ui/SetupOkRules.h"
#include "base/LeadingDecimal.h"

SetupOkResult CheckSetupOk(const std::array<SetupSlot, kSetupSlotCount>& slots) {
    SetupOkResult result;
    bool mainDeviceLeft = false;
    for (const SetupSlot& slot : slots)
        mainDeviceLeft = mainDeviceLeft || (slot.present && !slot.checked);
    if (!mainDeviceLeft) {
        result.messageId = IDS_NEED_MAIN_DEVICE;
        return result;
    }
    for (int n = 0; n < kSetupSlotCount; ++n) {
        const SetupSlot& slot = slots[n];
        if (!slot.present || !slot.checked) {
            result.indexes[n] = -1;
            continue;
        }
        const int32_t value = ParseLeadingDecimal(slot.indexText);
        if (!IsValidDeviceIndex(value)) {
            result.messageId = IDS_INDEX_RANGE;
            result.failedSlot = n;
            result.indexes.fill(-1);
            return result;
        }
        result.indexes[n] = value;
    }
    return result;
}
