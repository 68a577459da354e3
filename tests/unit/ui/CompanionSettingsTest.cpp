// The [Companion] values a user types or a file holds: which are refused, with which message and
// field, and that a refused one leaves Companion off.
#include "res/resource.h"
#include "station/CompanionSettingsCheck.h"
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(CompanionSettings, HostPortAndLayoutAreCheckedAndARefusedValueLeavesCompanionOff) {
    const std::string label63(63, 'a');
    const std::string longest = label63 + "." + label63 + "." + label63 + "." + std::string(61, 'b'); // 253
    for (const std::string& host :
         {std::string(), std::string("192.168.1.20"), std::string("companion"), std::string("Show-PC2.local"),
          std::string("show.example.org."), longest}) {
        CompanionSettings values;
        values.host = host;
        EXPECT_TRUE(CheckCompanionSettings(values).Ok()) << host;
    }
    for (const std::string& host :
         {std::string("300.1.1.1"), std::string("10.0.0"), std::string("-pc"), std::string("pc-"),
          std::string("show pc"), std::string("pc_1"), std::string("a..b"), std::string("http://pc"),
          std::string("."), longest + "c", label63 + "a.local"}) {
        CompanionSettings values;
        values.host = host;
        const SettingsProblem problem = CheckCompanionSettings(values);
        EXPECT_EQ(problem.messageId, IDS_COMPANION_HOST_INVALID) << host;
        EXPECT_EQ(problem.controlId, IDC_COMPANION_HOST) << host;
        EXPECT_EQ(CompanionTarget(values).host, "") << host;
    }

    CompanionSettings values;
    values.host = "192.168.001.020";
    values.keyboardLayout = "Full";
    const ConnectionTarget target = CompanionTarget(values);
    EXPECT_EQ(target.host, "192.168.1.20") << "leading zeros would read as octal";
    EXPECT_EQ(target.port, 16622);
    EXPECT_EQ(target.reconnectCapMs, 5000);
    EXPECT_EQ(ParseKeyboardLayoutName(values.keyboardLayout), KeyboardLayoutKind::Full);

    for (int port : {0, -1, 65536}) {
        values.port = port;
        EXPECT_EQ(CheckCompanionSettings(values).messageId, IDS_COMPANION_PORT_RANGE) << port;
        EXPECT_EQ(CompanionTarget(values).host, "") << port;
    }
    values.port = 65535;
    values.keyboardLayout = "numpad";
    EXPECT_EQ(CheckCompanionSettings(values).controlId, IDC_COMPANION_LAYOUT);
    EXPECT_EQ(CheckCompanionSettings(values).messageId, IDS_COMPANION_LAYOUT_INVALID);
}

} // namespace
