// The tray side and the settings rules a user meets day to day: reopening from the tray, the usage
// box, the checks on double quotes, a forced flag, values kept after a refused Apply, the filters
// after a setup run, and how fast "Exit" ends the program.
#include "ProgramTest.h"

#include "Controls.h"
#include "MessageBoxes.h"
#include "UdpReceiver.h"
#include "WindowFind.h"

#include <chrono>
#include <iostream>

namespace kve2e {
namespace {

class TrayAndSettingsTest : public ProgramTest {
protected:
    UdpReceiver receiver_;
};

TEST_F(TrayAndSettingsTest, DoubleClickReopensEmptiedTheUsageBoxShowsAndExitIsQuick) {
    WriteDevices(kFourDevices);
    WriteAuxConfig(receiver_.Port());
    Launch();
    ASSERT_TRUE(WaitForFilters(true));
    ASSERT_TRUE(Inject("key 3 0x47 0\n"));
    ASSERT_EQ(receiver_.Receive(kWait), KeypadSevenLine(5));
    ASSERT_TRUE(WaitUntil([&] { return ControlText(Main(), IDC_LAST_COMMAND) == "AUXKEYB/103/0/5"; }, kWait,
                          "the command under \"Last command sent\""));

    ASSERT_TRUE(PostMsg(Main(), WM_TRAY_NOTIFY, 1, WM_LBUTTONDBLCLK));
    ASSERT_TRUE(WaitUntil(
        [&] { return IsWindowVisible(Main()) && IsWindowEnabled(Control(Main(), IDC_BROADCAST_ADDRESS)); },
        kWait, "a double-click to open the settings"));
    EXPECT_EQ(ControlText(Main(), IDC_LAST_COMMAND), "");
    EXPECT_TRUE(IsWindowEnabled(Control(Main(), IDC_KEYB_SETUP)));

    ASSERT_TRUE(PostCommand(Main(), ID_TRAY_CMDLINE));
    EXPECT_TRUE(Answer("kvRemote[.exe] [{-a|--alternate-appdata} IniFileDirectory] "
                       "[{-i|--alternate-ini} IniFile.ini]",
                       IDOK));

    const auto asked = std::chrono::steady_clock::now();
    ASSERT_TRUE(PostCommand(Main(), ID_TRAY_EXIT));
    ASSERT_TRUE(Program().WaitForExit(kExitBound));
    const auto took = std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - asked).count();
    std::cout << "[ exit     ] " << took << " ms from \"Exit\" to the end of the process\n";
    // About 50 ms on an idle machine; the bound leaves room for a loaded one.
    EXPECT_LT(took, 2000) << "\"Exit\" should end the process within about a second";
    const auto record = Record();
    ASSERT_FALSE(record.empty());
    EXPECT_EQ(record.back(), "close") << "the capture thread ends before the driver context goes";
}

TEST_F(TrayAndSettingsTest, QuotesAreRefusedAndAFlagForcedOffIsSavedOff) {
    // One keyboard only: its "UseAux" is forced off.
    WriteDevices("1 HID\\VID_0001&PID_0001\n11 HID\\VID_0002&PID_0002\n12 HID\\VID_1234&PID_5678\n");
    WriteAuxConfig(receiver_.Port());
    const auto before = ConfigText();
    Launch();
    ASSERT_TRUE(OpenSettings());
    EXPECT_EQ(ControlText(Main(), IDC_KEYB_STATUS), "Interception Driver installed - 1 keyboard(s) found");
    EXPECT_EQ(CheckState(Main(), IDC_KEYB_USE_AUX), BST_UNCHECKED);
    EXPECT_FALSE(IsWindowEnabled(Control(Main(), IDC_KEYB_USE_AUX)));
    EXPECT_FALSE(IsWindowEnabled(Control(Main(), IDC_KEYB_SETUP)));
    EXPECT_TRUE(IsWindowEnabled(Control(Main(), IDC_MOUSE_USE_AUX)));

    for (const int id : {IDC_APPLICATION_ID, IDC_DESTINATION}) {
        SCOPED_TRACE(id);
        const auto kept = ControlText(Main(), id).value_or("");
        ASSERT_TRUE(SetControlText(Main(), id, "A\"B"));
        ASSERT_TRUE(Press(IDC_APPLY));
        EXPECT_TRUE(Answer("The application ID and the destination cannot contain double quotes.", IDOK));
        EXPECT_TRUE(FocusIs(id));
        EXPECT_EQ(ConfigText(), before);
        ASSERT_TRUE(SetControlText(Main(), id, kept));
    }

    ASSERT_TRUE(Press(1));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(Main()); }, kWait, "OK to hide the window"));
    const std::string text = ConfigText().value_or("");
    const auto keyboards = text.find("[Keyboards]");
    ASSERT_NE(keyboards, std::string::npos) << text;
    EXPECT_EQ(text.substr(keyboards, text.find("[Mouses]") - keyboards).find("UseAux=1"), std::string::npos)
        << text;
    EXPECT_TRUE(Exit());
}

TEST_F(TrayAndSettingsTest, AfterARefusedExchangeCommandsCarryTheValuesAlreadyTaken) {
    WriteDevices(kFourDevices);
    WriteAuxConfig(receiver_.Port());
    const auto before = ConfigText();
    Launch();
    ASSERT_TRUE(WaitForFilters(true));
    ASSERT_TRUE(OpenSettings());
    // The text command comes before the port in the exchange, so it is taken; nothing is saved.
    ASSERT_TRUE(SetControlText(Main(), IDC_KEYB_TEXTCMD, "NEWCMD"));
    ASSERT_TRUE(SetControlText(Main(), IDC_PORT, ""));
    ASSERT_TRUE(Press(IDC_APPLY));
    EXPECT_TRUE(Answer("Please enter an integer.", IDOK));
    EXPECT_TRUE(FocusIs(IDC_BROADCAST_ADDRESS));
    ASSERT_TRUE(Inject("key 3 0x47 0\n"));
    EXPECT_EQ(receiver_.Receive(kWait), "REMOTE: \"REMOTE\" \"\" \"NEWCMD/103/0/5\" 1")
        << "the link stays on the old port with the new text command";
    EXPECT_EQ(ConfigText(), before);
    EXPECT_TRUE(Exit());
}

TEST_F(TrayAndSettingsTest, CancelAfterASetupRunLeavesBothFiltersOff) {
    WriteDevices(kFourDevices);
    WriteAuxConfig(receiver_.Port());
    Launch();
    ASSERT_TRUE(WaitForFilters(true));
    ASSERT_TRUE(OpenSettings());
    ASSERT_TRUE(Press(IDC_KEYB_SETUP));
    HWND setup = nullptr;
    ASSERT_TRUE(WaitForWindow(Pid(), "Keyboards setup", setup));
    ASSERT_TRUE(PressButton(setup, IDCANCEL));
    ASSERT_TRUE(WaitForWindowGone(Pid(), "Keyboards setup"));
    ASSERT_TRUE(WaitForFilters(false));

    ASSERT_TRUE(Press(IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(Main()); }, kWait, "Cancel to hide the window"));
    ASSERT_TRUE(Inject("key 3 0x47 0\n"));
    EXPECT_TRUE(WaitForRecord("system key 3 0x47 0")) << "the auxiliary keyboard types into the system";
    EXPECT_TRUE(WaitForFilters(false, Millis(200)));
    EXPECT_EQ(receiver_.Receive(kQuiet), std::nullopt);
    EXPECT_TRUE(Exit());
}

} // namespace
} // namespace kve2e
