// The command and REMOTE line a peer receives for captured events.
#include "remote/CommandComposer.h"
#include "remote/RemoteLine.h"
#include <gtest/gtest.h>

namespace {

struct ComposeCase {
    const char* textCmd;
    DeviceClass deviceClass;
    int32_t code;
    int16_t value;
    EventIndex index;
    const char* expected;
};

class ComposeCommandTest : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(ComposeCommandTest, FormatsFieldsWithSlashes) {
    const ComposeCase& c = GetParam();
    EXPECT_EQ(ComposeCommand(c.textCmd, c.deviceClass, c.code, c.value, c.index, 42, 77), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Events, ComposeCommandTest,
    ::testing::Values(ComposeCase{"", DEVICE_CLASS_KEYBOARDS, 65, 1, 3, "AUXKEYB/65/1/3"}, // A with Shift
                      ComposeCase{"", DEVICE_CLASS_KEYBOARDS, 65, 6, 3, "AUXKEYB/65/6/3"}, // Ctrl+Alt
                      ComposeCase{"", DEVICE_CLASS_MICE, 1, 0, 7, "AUXMOUSE/1/0/7"},       // left down
                      ComposeCase{"", DEVICE_CLASS_MICE, 2, 0, 7, "AUXMOUSE/2/0/7"},       // left up
                      ComposeCase{"", DEVICE_CLASS_MICE, 1024, -120, 7, "AUXMOUSE/1024/-120/7"}, // wheel
                      ComposeCase{"F1", DEVICE_CLASS_KEYBOARDS, 65, 1, 3, "F1/65/1/3"},
                      ComposeCase{"", DEVICE_CLASS_KEYBOARDS, 65, -32768, 0, "AUXKEYB/65/-32768/0"},
                      // Indexes above 127 stay themselves; only the mark takes the class's main index.
                      ComposeCase{"", DEVICE_CLASS_KEYBOARDS, 36, 0, 127, "AUXKEYB/36/0/127"},
                      ComposeCase{"", DEVICE_CLASS_KEYBOARDS, 36, 0, 128, "AUXKEYB/36/0/128"},
                      ComposeCase{"", DEVICE_CLASS_KEYBOARDS, 36, 0, 200, "AUXKEYB/36/0/200"},
                      ComposeCase{"", DEVICE_CLASS_MICE, 1, 0, 255, "AUXMOUSE/1/0/255"},
                      ComposeCase{"", DEVICE_CLASS_KEYBOARDS, 36, 0, kMainDeviceMark, "AUXKEYB/36/0/42"},
                      ComposeCase{"", DEVICE_CLASS_MICE, 1, 0, kMainDeviceMark, "AUXMOUSE/1/0/77"},
                      ComposeCase{"X", DEVICE_CLASS_NONE, 1, 0, 1, ""}));

TEST(RemoteLine, WrapsCommandWithIdAndDestination) {
    EXPECT_EQ(FormatRemoteLine("", "", "AUXKEYB/65/1/3"), "REMOTE: \"REMOTE\" \"\" \"AUXKEYB/65/1/3\" 1");
    EXPECT_EQ(FormatRemoteLine("STN2", "RIG", "AUXMOUSE/1/0/7"),
              "REMOTE: \"STN2\" \"RIG\" \"AUXMOUSE/1/0/7\" 1");
    // An empty destination stays an empty pair of quotes even with an application ID.
    EXPECT_EQ(FormatRemoteLine("STN2", "", "C/1/0/0"), "REMOTE: \"STN2\" \"\" \"C/1/0/0\" 1");
}

} // namespace
