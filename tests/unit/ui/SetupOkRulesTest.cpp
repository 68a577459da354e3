// What OK of the setup dialog decides for the slot states a user can leave.
#include "ui/SetupOkRules.h"
#include <gtest/gtest.h>

namespace {

using Slots = std::array<SetupSlot, kSetupSlotCount>;

SetupSlot Main() {
    return {true, false, ""};
}
SetupSlot Aux(const char* text) {
    return {true, true, text};
}

TEST(SetupOk, NeedsOneDeviceLeftUnchecked) {
    Slots none{}; // no device of the class present
    EXPECT_EQ(CheckSetupOk(none).messageId, IDS_NEED_MAIN_DEVICE);

    Slots allChecked{};
    allChecked[0] = Aux("1");
    allChecked[3] = Aux("2");
    EXPECT_EQ(CheckSetupOk(allChecked).messageId, IDS_NEED_MAIN_DEVICE);

    // An absent slot is not a main device even if it were left checked.
    allChecked[5] = {false, false, ""};
    EXPECT_EQ(CheckSetupOk(allChecked).messageId, IDS_NEED_MAIN_DEVICE);
}

TEST(SetupOk, StoresEveryIndexOrMainMark) {
    Slots s{};
    s[0] = Main();
    s[1] = Aux(""); // empty edit reads 0
    s[2] = Aux("255");
    s[3] = Aux("  +7");        // white space and sign
    s[4] = Aux("12ab");        // stops at the first non-digit
    s[5] = Aux("abc");         // no leading digits: 0
    s[6] = {false, true, "9"}; // no device: -1 whatever the edit holds
    const SetupOkResult r = CheckSetupOk(s);
    ASSERT_EQ(r.messageId, 0);
    EXPECT_EQ(r.indexes, (std::array<int32_t, 10>{-1, 0, 255, 7, 12, 0, -1, -1, -1, -1}));
}

TEST(SetupOk, OutOfRangeIndexFailsOnItsSlotAndStoresNothing) {
    for (const char* bad : {"256", "-1", "-0000000001", "99999999999", "4294967295", "-4294967296"}) {
        Slots s{};
        s[0] = Main();
        s[1] = Aux("5");
        s[6] = Aux(bad);
        s[8] = Aux("300");
        const SetupOkResult r = CheckSetupOk(s);
        EXPECT_EQ(r.messageId, IDS_INDEX_RANGE) << bad;
        EXPECT_EQ(r.failedSlot, 6) << bad;
        EXPECT_EQ(r.indexes, (std::array<int32_t, 10>{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1})) << bad;
    }
}

} // namespace
