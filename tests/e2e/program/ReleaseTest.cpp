// Release lines for receivers that hold: with "ReleaseTextCmd" set, the release of an auxiliary key
// whose press went out sends one line of its own; keys still down are let go at Apply.
#include "ProgramTest.h"

#include "Controls.h"
#include "UdpReceiver.h"

namespace kve2e {
namespace {

class ReleaseTest : public ProgramTest {
protected:
    void LaunchWithRelease(std::string_view releaseLine = "ReleaseTextCmd=AUXUP\r\n") {
        WriteDevices(kFourDevices);
        WriteConfig(
            "[Network]\r\nBroadcastAddress=127.255.255.255\r\nPort=" + std::to_string(receiver_.Port()) +
            "\r\n[Keyboards]\r\nDevice1=3\r\nHarwareId1=HID\\VID_046D&PID_C31C\r\nIndex1=5\r\nUseAux=1\r\n" +
            std::string(releaseLine) +
            "[Mouses]\r\nDevice1=12\r\nHarwareId1=HID\\VID_1234&PID_5678\r\nIndex1=7\r\nUseAux=1\r\n");
        Launch();
        ASSERT_TRUE(WaitForFilters(true));
    }

    testing::AssertionResult Receives(const std::string& command) {
        return ReceivesCommand(receiver_, command);
    }

    UdpReceiver receiver_;
};

TEST_F(ReleaseTest, PressesAndReleasesPairUpModifiersAndLocksSendNothingARepeatEndsOnce) {
    LaunchWithRelease();
    ASSERT_TRUE(Inject("key 3 0x47 0\nkey 3 0x47 1\n"));
    EXPECT_TRUE(Receives("AUXKEYB/103/0/5"));
    EXPECT_TRUE(Receives("AUXUP/103/0/5"));
    EXPECT_TRUE(WaitUntil([&] { return ControlText(Main(), IDC_LAST_COMMAND) == "AUXUP/103/0/5"; }, kWait,
                          "the release as the last command"));

    // Shift pressed while A is down: the release carries its press's value, so a receiver pairs them.
    ASSERT_TRUE(Inject("key 3 0x1E 0\nkey 3 0x2A 0\nkey 3 0x1E 1\nkey 3 0x2A 1\n"));
    EXPECT_TRUE(Receives("AUXKEYB/65/0/5"));
    EXPECT_TRUE(Receives("AUXUP/65/0/5"));
    // Ctrl and Caps Lock send nothing, pressed or released; the keypad 9 after them comes next.
    ASSERT_TRUE(Inject("key 3 0x1D 0\nkey 3 0x1D 1\nkey 3 0x3A 0\nkey 3 0x3A 1\n"));
    // The keyboard's repeat: every press goes out, one release ends it.
    ASSERT_TRUE(Inject("key 3 0x49 0\nkey 3 0x49 0\nkey 3 0x49 0\nkey 3 0x49 1\n"));
    EXPECT_TRUE(Receives("AUXKEYB/105/0/5"));
    EXPECT_TRUE(Receives("AUXKEYB/105/0/5"));
    EXPECT_TRUE(Receives("AUXKEYB/105/0/5"));
    EXPECT_TRUE(Receives("AUXUP/105/0/5"));
    EXPECT_TRUE(Exit());
}

TEST_F(ReleaseTest, AKeyHeldAcrossApplyIsReleasedAtOnceWithItsPressValueAndItsLaterReleaseSendsNothing) {
    LaunchWithRelease();
    ASSERT_TRUE(Inject("key 3 0x2A 0\nkey 3 0x1E 0\n"));
    EXPECT_TRUE(Receives("AUXKEYB/65/1/5"));
    ASSERT_TRUE(OpenSettings());
    ASSERT_TRUE(Press(IDC_APPLY));
    EXPECT_TRUE(Receives("AUXUP/65/1/5"));
    ASSERT_TRUE(Inject("key 3 0x2A 1\nkey 3 0x1E 1\nkey 3 0x48 0\n"));
    EXPECT_TRUE(Receives("AUXKEYB/104/0/5")) << "nothing for the physical release before it";
    EXPECT_TRUE(Exit());
}

TEST_F(ReleaseTest, AReleaseCommandEqualToTheTextCommandInTheFileIsNotUsedAndTheSettingsSayWhy) {
    LaunchWithRelease("ReleaseTextCmd=auxkeyb\r\n");
    ASSERT_TRUE(Inject("key 3 0x47 0\nkey 3 0x47 1\nkey 3 0x48 0\n"));
    EXPECT_TRUE(Receives("AUXKEYB/103/0/5"));
    EXPECT_TRUE(Receives("AUXKEYB/104/0/5")) << "no release line that old receivers read as a press";
    ASSERT_TRUE(OpenSettings());
    EXPECT_TRUE(Answer("The release command must differ from the text command.", IDOK));
    EXPECT_EQ(ControlText(Main(), IDC_KEYB_RELEASE_CMD), "AUXKEYB") << "kept in the field to mend";
    EXPECT_TRUE(Exit());
}

TEST_F(ReleaseTest, TheFieldIsCheckedAgainstTheTextCommandAndSavedOnlyWithAValue) {
    LaunchWithRelease("");
    ASSERT_TRUE(Inject("key 3 0x47 0\nkey 3 0x47 1\nkey 3 0x48 0\n"));
    EXPECT_TRUE(Receives("AUXKEYB/103/0/5"));
    EXPECT_TRUE(Receives("AUXKEYB/104/0/5")) << "no release line without the setting";

    ASSERT_TRUE(OpenSettings());
    ASSERT_TRUE(Press(IDC_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return ConfigText().value_or("").find("MainIndex") != std::string::npos; },
                          kWait, "Apply to write the file"));
    EXPECT_EQ(ConfigText().value_or("").find("ReleaseTextCmd"), std::string::npos) << "not given the key";

    ASSERT_TRUE(SetControlText(Main(), IDC_KEYB_RELEASE_CMD, "auxkeyb"));
    ASSERT_TRUE(Press(IDC_APPLY));
    EXPECT_TRUE(Answer("The release command must differ from the text command.", IDOK));
    EXPECT_TRUE(FocusIs(IDC_KEYB_RELEASE_CMD));
    ASSERT_TRUE(SetControlText(Main(), IDC_KEYB_RELEASE_CMD, "AUXUP"));
    ASSERT_TRUE(Press(IDC_APPLY));
    EXPECT_TRUE(
        WaitUntil([&] { return ConfigText().value_or("").find("ReleaseTextCmd=AUXUP") != std::string::npos; },
                  kWait, "the release command saved"));
    ASSERT_TRUE(Inject("key 3 0x47 0\nkey 3 0x47 1\n"));
    EXPECT_TRUE(Receives("AUXKEYB/103/0/5"));
    EXPECT_TRUE(Receives("AUXUP/103/0/5"));
    EXPECT_TRUE(Exit());
}

} // namespace
} // namespace kve2e
