// The Connections dialog as a user meets it: from the tray menu and from the settings window's
// button, it shows the station name, keeps a good one in [Connections] and refuses a bad one with
// a clear message, saving nothing. The REMOTE lines go on as before meanwhile.
#include "ProgramTest.h"

#include "Controls.h"
#include "UdpReceiver.h"
#include "WindowFind.h"

namespace kve2e {
namespace {

class ConnectionsTest : public ProgramTest {
protected:
    // Opens the dialog with command (a tray item posted to the main window, or a button of it).
    testing::AssertionResult Open(int id, HWND& dialog) {
        if (auto posted = id == ID_TRAY_CONNECTIONS ? PostCommand(Main(), id) : Press(id); !posted)
            return posted;
        return WaitForWindow(Pid(), "Connections", dialog);
    }
    UdpReceiver receiver_;
};

TEST_F(ConnectionsTest, OpensFromTheTrayAndTheSettingsKeepsTheStationNameAndRefusesABadOne) {
    WriteDevices(kFourDevices);
    WriteAuxConfig(receiver_.Port());
    Launch();
    ASSERT_TRUE(WaitForFilters(true));

    HWND dialog = nullptr;
    ASSERT_TRUE(Open(ID_TRAY_CONNECTIONS, dialog));
    const std::string computerDefault = ControlText(dialog, IDC_STATION).value_or("");
    EXPECT_FALSE(computerDefault.empty()) << "the default comes from the computer's name";
    EXPECT_EQ(
        computerDefault.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
        std::string::npos)
        << computerDefault;
    ASSERT_TRUE(SetControlText(dialog, IDC_STATION, "Stage7"));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_TRUE(WaitForWindowGone(Pid(), "Connections"));
    EXPECT_NE(ConfigText().value_or("").find("[Connections]\r\nStation=Stage7\r\n"), std::string::npos)
        << ConfigText().value_or("");

    // Captured events still become REMOTE lines, as before.
    ASSERT_TRUE(Inject("key 3 0x47 0\n"));
    EXPECT_EQ(receiver_.Receive(kWait), KeypadSevenLine(5));

    ASSERT_TRUE(OpenSettings());
    ASSERT_TRUE(Open(IDC_CONNECTIONS, dialog));
    EXPECT_EQ(ControlText(dialog, IDC_STATION), "Stage7");
    const auto saved = ConfigText();
    ASSERT_TRUE(SetControlText(dialog, IDC_STATION, "Stage 7!"));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    EXPECT_TRUE(Answer("The station name must be 1 to 15 letters and digits, with no spaces.", IDOK));
    EXPECT_EQ(FocusedControlId(dialog), IDC_STATION);
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays open to be corrected";
    EXPECT_EQ(ConfigText(), saved) << "nothing is saved while a field is wrong";
    ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    ASSERT_TRUE(WaitForWindowGone(Pid(), "Connections"));
    EXPECT_TRUE(IsWindowEnabled(Main())) << "the settings window has its input back";
    EXPECT_TRUE(Exit());
}

} // namespace
} // namespace kve2e
