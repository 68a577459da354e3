// What Apply and OK accept, and which message and control a rejected setting leads to.
#include "ui/BroadcastAddressCheck.h"
#include "ui/SettingsValidation.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;

class InvalidAddressTest : public ::testing::TestWithParam<const char*> {};

TEST_P(InvalidAddressTest, IsRejected) {
    EXPECT_EQ(ValidateBroadcastAddress(GetParam()).kind, BroadcastAddressVerdict::Invalid) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Forms, InvalidAddressTest,
                         ::testing::Values("", "1.2.3.", "1.2.255", "1.2.3.4.5", "192.168.1.2555", "1..2.255",
                                           ".1.2.255", "10.0.0.255.", "1.2.3.4.", "10.0.0", "10.0.0.0.0",
                                           "10.0 .0.255", " 10.0.0.255", "10.0.0.25a", "10.0.0.-1",
                                           "10,0,0,255", "256.0.0.255", "0.256.0.255", "0.0.256.255",
                                           "1.1.1.256", "1.1.1.999", "1.1.1.0255", "0001.1.1.255",
                                           "1.2.3.4\n"));

TEST(BroadcastAddress, EndingIn255IsAcceptedWithoutQuestion) {
    for (const char* a : {"192.168.1.255", "0.0.0.255", "10.255.255.255", "010.001.000.255", "000.0.00.255"})
        EXPECT_EQ(ValidateBroadcastAddress(a).kind, BroadcastAddressVerdict::Accept) << a;
}

TEST(BroadcastAddress, OtherLastGroupAsksWithTheAddressInTheQuestion) {
    const BroadcastAddressVerdict v = ValidateBroadcastAddress("192.168.1.20");
    ASSERT_EQ(v.kind, BroadcastAddressVerdict::Ask);
    EXPECT_EQ(v.question,
              "IP broadcast addresses normally end with 255.\nDo you confirm the usage of 192.168.1.20?");
    EXPECT_EQ(ValidateBroadcastAddress("1.1.1.0").kind, BroadcastAddressVerdict::Ask);
    EXPECT_EQ(ValidateBroadcastAddress("1.1.1.254").kind, BroadcastAddressVerdict::Ask);
}

class RecordingPrompts : public SettingsPrompts {
public:
    bool answer = true;
    std::vector<std::string> shown;
    void ShowError(int id) override { shown.push_back("error " + std::to_string(id)); }
    bool AskYesNo(const std::string&) override {
        shown.push_back("ask");
        return answer;
    }
};

SettingsMembers Valid() {
    SettingsMembers m;
    m.broadcastAddress = "192.168.1.255";
    return m;
}

TEST(ValidateSettings, ValidSettingsPassSilently) {
    RecordingPrompts prompts;
    SettingsMembers m = Valid();
    m.keyboardTextCmd = "F1";
    m.mouseTextCmd = "";
    m.applicationId = "STN2";
    m.destination = "RIG";
    EXPECT_EQ(ValidateSettings(m, prompts), 0);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(ValidateSettings, ReportsTheFirstFailureInOrder) {
    SettingsMembers all = Valid();
    all.broadcastAddress = "1.2.3";
    all.keyboardTextCmd = "A-B";
    all.mouseTextCmd = "A B";
    all.applicationId = "A\"";
    all.destination = "\"";

    struct Step {
        int control;
        const char* message;
    };
    const std::vector<Step> expected = {{1005, "error 102"},
                                        {1013, "error 105"},
                                        {1020, "error 105"},
                                        {1009, "error 125"},
                                        {1014, "error 125"}};
    SettingsMembers m = all;
    for (size_t i = 0; i < expected.size(); ++i) {
        RecordingPrompts prompts;
        EXPECT_EQ(ValidateSettings(m, prompts), expected[i].control) << "step " << i;
        EXPECT_THAT(prompts.shown, ElementsAre(expected[i].message)) << "step " << i;
        // Repair this field and the next check must speak.
        switch (i) {
        case 0:
            m.broadcastAddress = "10.0.0.255";
            break;
        case 1:
            m.keyboardTextCmd = "AB1";
            break;
        case 2:
            m.mouseTextCmd = "xyz9";
            break;
        case 3:
            m.applicationId = "STN";
            break;
        default:
            break;
        }
    }
}

TEST(ValidateSettings, TheQuestionComesBeforeTextCommands) {
    SettingsMembers m = Valid();
    m.broadcastAddress = "10.0.0.1";
    m.keyboardTextCmd = "bad cmd";
    RecordingPrompts no;
    no.answer = false;
    EXPECT_EQ(ValidateSettings(m, no), 1005);
    EXPECT_THAT(no.shown, ElementsAre("ask"));

    RecordingPrompts yes;
    EXPECT_EQ(ValidateSettings(m, yes), 1013);
    EXPECT_THAT(yes.shown, ElementsAre("ask", "error 105"));
}

TEST(TextCommand, OnlyAsciiLettersAndDigits) {
    EXPECT_TRUE(IsValidTextCommand("aux2"));
    for (const char* bad : {"A/B", "\xC9T\xC9", "_", "A\tB"})
        EXPECT_FALSE(IsValidTextCommand(bad)) << bad;
}

} // namespace
