// Tray commands and captured strokes that arrive while one of the program's modal loops runs (the
// setup dialog, a box of the settings window, the About box): the main window is disabled then, but
// posted commands still reach it, so "Exit", "Settings..." and "About kvRemote..." can come at any
// time. The program must end cleanly or come back to a sane state.
#include "ProgramTest.h"

#include "Controls.h"
#include "MessageBoxes.h"
#include "UdpReceiver.h"
#include "WindowFind.h"

namespace kve2e {
namespace {

constexpr int kSettingsCommand = ID_TRAY_SETTINGS, kAboutCommand = ID_TRAY_ABOUT;
constexpr int kKeyboardsSetup = IDC_KEYB_SETUP, kApply = IDC_APPLY, kAddress = IDC_BROADCAST_ADDRESS;
constexpr int kSlot3Index = IDC_SLOT3_INDEX,
              kLastCommand = IDC_LAST_COMMAND; // keyboard 3 in the keyboards setup

class ReentrancyTest : public ProgramTest {
protected:
    // Auxiliary keyboard 3 (index 5) in use, capture on, the settings window open for editing.
    void LaunchForEditing() {
        WriteDevices(kFourDevices);
        WriteAuxConfig(receiver_.Port());
        before_ = ConfigText();
        Launch();
        ASSERT_TRUE(WaitForFilters(true));
        ASSERT_TRUE(OpenSettings());
    }

    void OpenKeyboardsSetup() {
        ASSERT_TRUE(Press(kKeyboardsSetup));
        ASSERT_TRUE(WaitForWindow(Pid(), "Keyboards setup", setup_));
        ASSERT_TRUE(WaitForHeld(1, 10, 15));
    }

    // The About box: the program's visible untitled dialog.
    testing::AssertionResult WaitForAboutBox(HWND& about) {
        return WaitUntil(
            [&] {
                for (HWND w : TopLevelWindows(Pid())) {
                    if (w != Main() && IsWindowVisible(w) && ClassName(w) == "#32770" && !IsMessageBox(w) &&
                        WindowText(w).empty()) {
                        about = w;
                        return true;
                    }
                }
                return false;
            },
            kWait, "the About box");
    }

    // "Exit" ends the process with code 0 (a crash gives another code: the crash dialog is off),
    // the driver is not touched after its context is closed and the file is as it was.
    void ExpectCleanExit() {
        ASSERT_TRUE(Exit());
        EXPECT_EQ(Program().ExitCode(), 0u);
        const std::vector<std::string> record = Record();
        const auto close = std::find(record.begin(), record.end(), "close");
        ASSERT_NE(close, record.end()) << "the driver context is closed";
        for (auto line = close + 1; line != record.end(); ++line) {
            EXPECT_FALSE(line->starts_with("filter ")) << "a filter set after the context was closed";
        }
        EXPECT_EQ(ConfigText(), before_) << "nothing is written on Exit";
    }

    UdpReceiver receiver_;
    std::optional<std::string> before_;
    HWND setup_ = nullptr;
};

TEST_F(ReentrancyTest, ExitWhileTheKeyboardsSetupIsOpenEndsCleanly) {
    LaunchForEditing();
    OpenKeyboardsSetup();
    ExpectCleanExit();
}

// The error box and the yes/no question of Apply: strokes captured meanwhile still become commands
// (the box's loop dispatches them), and Exit under the box neither crashes nor takes its end for
// an answer that saves.
struct BoxCase {
    const char* label;
    const char* address;
    const char* message;
};

class ReentrancyBoxTest : public ReentrancyTest, public testing::WithParamInterface<BoxCase> {};

TEST_P(ReentrancyBoxTest, StrokesAreSentUnderTheBoxAndExitUnderItEndsCleanly) {
    LaunchForEditing();
    ASSERT_TRUE(SetControlText(Main(), kAddress, GetParam().address));
    ASSERT_TRUE(Press(kApply));
    HWND box = nullptr;
    ASSERT_TRUE(WaitForMessageBox(Pid(), box, kTitle));
    EXPECT_EQ(MessageBoxText(box), GetParam().message);

    ASSERT_TRUE(Inject("key 3 0x47 0\nkey 3 0x47 1\n"));
    EXPECT_EQ(receiver_.Receive(kWait).value_or("(nothing)"), KeypadSevenLine(5));
    ExpectCleanExit();
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, ReentrancyBoxTest,
    testing::Values(BoxCase{"InvalidAddress", "1.2.3", "Invalid IP address!"},
                    BoxCase{"AddressQuestion", "127.0.0.1",
                            "IP broadcast addresses normally end with 255.\nDo you confirm the usage of "
                            "127.0.0.1?"}),
    [](const auto& info) { return std::string(info.param.label); });

// The About box is owned by the window in front and disables it while it is up. An ended dialog
// under it is hidden at once, gives its owner back and takes no second OK.
TEST_F(ReentrancyTest, TheAboutBoxIsOwnedByTheWindowInFrontAndADialogEndedUnderItGoesAtOnce) {
    LaunchForEditing();
    HWND about = nullptr;
    ASSERT_TRUE(PostCommand(Main(), kAboutCommand));
    ASSERT_TRUE(WaitForAboutBox(about));
    EXPECT_EQ(GetWindow(about, GW_OWNER), Main());
    EXPECT_FALSE(IsWindowEnabled(Main())) << "the settings window is disabled under the About box";
    ASSERT_TRUE(PostMsg(about, WM_LBUTTONDOWN, MK_LBUTTON, 0));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, kWait, "the About box to close on a click"));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(Main()); }, kWait, "the settings window enabled"));

    OpenKeyboardsSetup();
    ASSERT_TRUE(SetControlText(setup_, kSlot3Index, "9"));
    ASSERT_TRUE(PostCommand(Main(), kAboutCommand));
    ASSERT_TRUE(WaitForAboutBox(about));
    EXPECT_EQ(GetWindow(about, GW_OWNER), setup_);
    EXPECT_FALSE(IsWindowEnabled(setup_)) << "the setup dialog is disabled under the About box";
    EXPECT_FALSE(IsWindowEnabled(Main()));

    // OK reaches the setup dialog under the box (posted; a click could not): it saves, disappears
    // and gives the main window back while the box stays up.
    ASSERT_TRUE(PressButton(setup_, IDOK));
    ASSERT_TRUE(
        WaitUntil([&] { return !IsWindowVisible(setup_); }, kWait, "the setup dialog hidden at once"));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(Main()); }, kWait, "the main window enabled"));
    EXPECT_TRUE(IsWindowVisible(about));
    const std::string saved = ConfigText().value_or("");
    EXPECT_NE(saved.find("Index1=9\r\n"), std::string::npos) << saved;
    // A second OK finds the dialog ended: the file, put back meanwhile, is not written again.
    WriteConfig(*before_);
    ASSERT_TRUE(PressButton(setup_, IDOK));
    ASSERT_TRUE(PostMsg(about, WM_LBUTTONDOWN, MK_LBUTTON, 0));
    ASSERT_TRUE(WaitForWindowGone(Pid(), "Keyboards setup"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about) && IsWindowEnabled(Main()); }, kWait,
                          "both closed and the main window enabled"));
    ExpectCleanExit();
}

// The main window takes the foreground for the tray menu, so that a click elsewhere closes it; once
// the menu is gone the setup dialog is in front again with the keyboard.
TEST_F(ReentrancyTest, TheTrayMenuOverTheSetupDialogLeavesTheSetupDialogInFront) {
    LaunchForEditing();
    OpenKeyboardsSetup();
    ASSERT_TRUE(
        WaitUntil([&] { return GetForegroundWindow() == setup_; }, kWait, "the setup dialog in front"));
    ASSERT_TRUE(PostMsg(Main(), WM_TRAY_NOTIFY, 1, WM_RBUTTONUP));
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindWindowA("#32768", nullptr)) && IsWindowVisible(menu); },
                          kWait, "the tray menu"));
    ASSERT_TRUE(PostMsg(Main(), WM_KEYDOWN, VK_ESCAPE, 0));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, kWait, "the menu to close"));
    EXPECT_TRUE(
        WaitUntil([&] { return GetForegroundWindow() == setup_; }, kWait, "the setup dialog in front"));
    EXPECT_FALSE(IsWindowEnabled(Main()));
    ASSERT_TRUE(PressButton(setup_, IDCANCEL));
    ExpectCleanExit();
}

TEST_F(ReentrancyTest, SettingsAndAboutDuringTheSetupLeaveASaneStateAndExitUnderTheAboutBoxEndsCleanly) {
    LaunchForEditing();
    OpenKeyboardsSetup();
    ASSERT_TRUE(WaitUntil([&] { return FocusedControlId(setup_) == kSlot3Index; }, kWait,
                          "the focus on the setup dialog's index edit"));
    // "Settings..." leaves the setup dialog in front with the keyboard: the settings window it
    // would bring forward is disabled under it.
    // "Last command sent" is emptied by it, which tells when it was handled.
    ASSERT_TRUE(SetControlText(Main(), kLastCommand, "mark"));
    ASSERT_TRUE(PostCommand(Main(), kSettingsCommand));
    ASSERT_TRUE(WaitUntil([&] { return ControlText(Main(), kLastCommand) == ""; }, kWait,
                          "\"Settings...\" to be handled"));
    EXPECT_EQ(GetForegroundWindow(), setup_);
    EXPECT_EQ(FocusedControlId(setup_), kSlot3Index);

    ASSERT_TRUE(PostCommand(Main(), kAboutCommand));
    HWND about = nullptr;
    ASSERT_TRUE(WaitForAboutBox(about));
    ASSERT_TRUE(PostMsg(about, WM_LBUTTONDOWN, MK_LBUTTON, 0));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, kWait, "the About box to close on a click"));
    EXPECT_TRUE(IsWindow(setup_)) << "the setup dialog is still open";
    EXPECT_FALSE(IsWindowEnabled(Main())) << "the setup dialog still keeps the main window disabled";

    ASSERT_TRUE(PressButton(setup_, IDCANCEL));
    ASSERT_TRUE(WaitForWindowGone(Pid(), "Keyboards setup"));
    EXPECT_TRUE(WaitForFilters(false));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(Main()) && IsWindowVisible(Main()); }, kWait,
                          "the settings window back, enabled"));

    // The main window is the target again: once applied, keyboard 3 sends from it.
    ASSERT_TRUE(Press(kApply));
    ASSERT_TRUE(WaitForFilters(true));
    before_ = ConfigText();
    ASSERT_TRUE(Inject("key 3 0x47 0\nkey 3 0x47 1\n"));
    EXPECT_EQ(receiver_.Receive(kWait).value_or("(nothing)"), KeypadSevenLine(5));

    ASSERT_TRUE(PostCommand(Main(), kAboutCommand));
    ASSERT_TRUE(WaitForAboutBox(about));
    ExpectCleanExit();
}

} // namespace
} // namespace kve2e
