// What Apply and OK accept, and which message and control a rejected setting leads to.
#include "res/resource.h"
#include "station/BroadcastAddressCheck.h"
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

TEST(BroadcastAddress, OtherLastGroupAsks) {
    EXPECT_EQ(ValidateBroadcastAddress("192.168.1.20").kind, BroadcastAddressVerdict::Ask);
    EXPECT_EQ(ValidateBroadcastAddress("1.1.1.0").kind, BroadcastAddressVerdict::Ask);
    EXPECT_EQ(ValidateBroadcastAddress("1.1.1.254").kind, BroadcastAddressVerdict::Ask);
}

class RecordingPrompts : public SettingsPrompts {
public:
    bool answer = true;
    std::vector<std::string> shown;
    void ShowError(int id) override { shown.push_back("error " + std::to_string(id)); }
    bool AskYesNo(int id, std::string_view argument) override {
        shown.push_back("ask " + std::to_string(id) + " " + std::string(argument));
        return answer;
    }
};

SettingsValues Valid() {
    SettingsValues m;
    m.broadcastAddress = "192.168.1.255";
    return m;
}

TEST(ValidateSettings, ValidSettingsPassSilently) {
    RecordingPrompts prompts;
    SettingsValues m = Valid();
    m.keyboards.textCmd = "F1";
    m.mouses.textCmd = "";
    m.applicationId = "STN2";
    m.destination = "RIG";
    EXPECT_EQ(ValidateSettings(m, prompts), 0);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(ValidateSettings, ReportsTheFirstFailureInOrder) {
    SettingsValues all = Valid();
    all.broadcastAddress = "1.2.3";
    all.keyboards.textCmd = "A-B";
    all.keyboards.releaseTextCmd = "UP-1";
    all.mouses.textCmd = "A B";
    all.applicationId = "A\"";
    all.destination = "\"";

    struct Step {
        int control;
        std::string message;
    };
    const auto error = [](int id) { return "error " + std::to_string(id); };
    const std::vector<Step> expected = {{IDC_BROADCAST_ADDRESS, error(IDS_INVALID_IP)},
                                        {IDC_KEYB_TEXTCMD, error(IDS_TEXTCMD_INVALID)},
                                        {IDC_KEYB_RELEASE_CMD, error(IDS_TEXTCMD_INVALID)},
                                        // a release under the press's own command reads as a press
                                        {IDC_KEYB_RELEASE_CMD, error(IDS_RELEASE_SAME_AS_TEXT)},
                                        {IDC_KEYB_RELEASE_CMD, error(IDS_RELEASE_SAME_AS_TEXT)},
                                        {IDC_MOUSE_TEXTCMD, error(IDS_TEXTCMD_INVALID)},
                                        {IDC_APPLICATION_ID, error(IDS_NO_DOUBLE_QUOTES)},
                                        {IDC_DESTINATION, error(IDS_NO_DOUBLE_QUOTES)}};
    SettingsValues m = all;
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
            m.keyboards.textCmd = "AB1";
            break;
        case 2:
            m.keyboards.releaseTextCmd = "ab1";
            break;
        case 3:
            m.keyboards.textCmd = "";
            m.keyboards.releaseTextCmd = "auxkeyb"; // the text command in effect when empty
            break;
        case 4:
            m.keyboards.releaseTextCmd = "AUXUP";
            break;
        case 5:
            m.mouses.textCmd = "xyz9";
            break;
        case 6:
            m.applicationId = "STN";
            break;
        default:
            break;
        }
    }
}

TEST(ValidateSettings, TheQuestionComesBeforeTextCommands) {
    SettingsValues m = Valid();
    m.broadcastAddress = "10.0.0.1";
    m.keyboards.textCmd = "bad cmd";
    RecordingPrompts no;
    no.answer = false;
    const std::string ask = "ask " + std::to_string(IDS_CONFIRM_BROADCAST) + " 10.0.0.1";
    EXPECT_EQ(ValidateSettings(m, no), IDC_BROADCAST_ADDRESS);
    EXPECT_THAT(no.shown, ElementsAre(ask));

    RecordingPrompts yes;
    EXPECT_EQ(ValidateSettings(m, yes), IDC_KEYB_TEXTCMD);
    EXPECT_THAT(yes.shown, ElementsAre(ask, "error " + std::to_string(IDS_TEXTCMD_INVALID)));
}

TEST(TextCommand, OnlyAsciiLettersAndDigits) {
    EXPECT_TRUE(IsValidTextCommand("aux2"));
    for (const char* bad : {"A/B", "\xC9T\xC9", "_", "A\tB"})
        EXPECT_FALSE(IsValidTextCommand(bad)) << bad;
}

} // namespace
