// Start-up and shutdown as a user sees them: the first run, a bad command line, "Exit".
#include "ProgramTest.h"

#include "Controls.h"
#include "FileText.h"
#include "MessageBoxes.h"
#include "WindowFind.h"

namespace kve2e {
namespace {

class StartupTest : public ProgramTest {
protected:
    // Starts the program with a saved address and waits for the main window, still initialising,
    // and the start-up About box over it.
    void StartUnderTheAboutBox(HWND& mainWnd, HWND& about) {
        WriteDevices(kFourDevices);
        WriteAuxConfig(9871);
        Start({"-a", IniPath().parent_path().string()});
        ASSERT_TRUE(WaitUntil(
            [&] {
                mainWnd = about = nullptr;
                for (HWND w : TopLevelWindows(Pid())) {
                    const bool dialog = ClassName(w) == "#32770" && !IsMessageBox(w);
                    mainWnd = dialog && WindowText(w) == kTitle ? w : mainWnd;
                    about = dialog && IsWindowVisible(w) && WindowText(w).empty() ? w : about;
                }
                return mainWnd != nullptr && about != nullptr;
            },
            kWait, "the main window and the start-up About box"));
    }
};

TEST_F(StartupTest, FirstRunShowsTheSettingsInFrontWritesNothingAndEndsOnExit) {
    WriteDevices(kFourDevices);
    Launch();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(Main()) && GetForegroundWindow() == Main(); }, kWait,
                          "the settings window in front"));
    // The controls of template 102, editable because no address is configured yet.
    for (int id : {IDC_BROADCAST_ADDRESS, IDC_BROADCAST_DEFAULT, IDC_PORT, IDC_PORT_DEFAULT,
                   IDC_APPLICATION_ID, IDC_APPLICATION_ID_DEFAULT, IDC_KEYB_MAIN_INDEX, IDC_KEYB_TEXTCMD,
                   IDC_DESTINATION, IDC_KEYB_TEXTCMD_DEFAULT, IDC_KEYB_USE_AUX, IDC_MOUSE_MAIN_INDEX,
                   IDC_MOUSE_TEXTCMD, IDC_MOUSE_TEXTCMD_DEFAULT, IDC_MOUSE_USE_AUX}) {
        EXPECT_TRUE(IsWindowEnabled(Control(Main(), id))) << "control " << id;
    }
    for (int id : {IDOK, IDCANCEL, IDC_LAST_COMMAND, IDC_KEYB_SETUP, IDC_KEYB_STATUS, IDC_MOUSE_SETUP,
                   IDC_MOUSE_STATUS, IDC_APPLY}) {
        EXPECT_NE(Control(Main(), id), nullptr) << "control " << id;
    }
    EXPECT_EQ(ControlText(Main(), IDC_BROADCAST_ADDRESS), "");
    EXPECT_EQ(ControlText(Main(), IDC_PORT), "9871");
    EXPECT_EQ(ControlText(Main(), IDC_APPLICATION_ID), "REMOTE");
    EXPECT_EQ(ControlText(Main(), IDC_KEYB_TEXTCMD), "AUXKEYB");
    EXPECT_EQ(ControlText(Main(), IDC_MOUSE_TEXTCMD), "AUXMOUSE");
    EXPECT_EQ(ControlText(Main(), IDC_KEYB_STATUS), "Interception Driver installed - 2 keyboard(s) found");
    EXPECT_EQ(ControlText(Main(), IDC_MOUSE_STATUS), "Interception Driver installed - 2 mouse(s) found");
    EXPECT_TRUE(FocusIs(IDC_BROADCAST_ADDRESS));

    ASSERT_TRUE(Exit());
    EXPECT_EQ(Program().ExitCode(), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(ConfigPath().parent_path()))
        << "the cfg folder is made at start";
    EXPECT_FALSE(std::filesystem::exists(ConfigPath())) << "nothing is written without Apply or OK";
    EXPECT_TRUE(WaitForRecord("close", Millis(1000))) << "the driver context is destroyed on Exit";
}

TEST_F(StartupTest, WithoutTheDriverTheStatusLinesSaySoAndTheBoxesStayDisabled) {
    WriteDevices("absent\n");
    Launch();
    EXPECT_EQ(ControlText(Main(), IDC_KEYB_STATUS),
              "Interception Driver not installed - Using the main keyboard");
    EXPECT_EQ(ControlText(Main(), IDC_MOUSE_STATUS),
              "Interception Driver not installed - Using the main mouse");
    EXPECT_FALSE(IsWindowEnabled(Control(Main(), IDC_KEYB_USE_AUX)));
    EXPECT_FALSE(IsWindowEnabled(Control(Main(), IDC_MOUSE_USE_AUX)));
    ASSERT_TRUE(Exit());
}

TEST_F(StartupTest, ASavedAddressKeepsTheProgramInTheTrayAndExitWritesNothing) {
    WriteDevices(kFourDevices);
    WriteAuxConfig(9871);
    const auto before = ConfigText();
    Launch();
    ASSERT_TRUE(WaitForFilters(true)) << "the link starts at once with a saved address";
    EXPECT_FALSE(IsWindowVisible(Main()));
    ASSERT_TRUE(Exit());
    EXPECT_EQ(Program().ExitCode(), 0u);
    EXPECT_EQ(ConfigText(), before);
}

TEST_F(StartupTest, ClosingTheWindowOnlyHidesItAndTheProgramRunsOn) {
    WriteDevices(kFourDevices);
    Launch();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(Main()); }, kWait, "the first-run window"));
    ASSERT_TRUE(PostMsg(Main(), WM_SYSCOMMAND, SC_CLOSE, 0));
    ASSERT_TRUE(
        WaitUntil([&] { return !IsWindowVisible(Main()); }, kWait, "the close box to hide the window"));
    EXPECT_TRUE(Program().IsRunning());
    ASSERT_TRUE(OpenSettings()) << "the tray menu brings it back";
    ASSERT_TRUE(Exit());
    EXPECT_FALSE(std::filesystem::exists(ConfigPath()));
}

TEST_F(StartupTest, ExitWhileTheStartUpAboutBoxIsUpEndsTheProgramCleanly) {
    HWND mainWnd = nullptr, about = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartUnderTheAboutBox(mainWnd, about));
    // The main window is still initialising under the box; Exit reaches it through the box's loop.
    ASSERT_TRUE(PostCommand(mainWnd, ID_TRAY_EXIT));
    ASSERT_TRUE(Program().WaitForExit(kExitBound));
    EXPECT_EQ(Program().ExitCode(), 0u);
    EXPECT_TRUE(WaitForRecord("close", Millis(1000))) << "the driver context is destroyed";
}

TEST_F(StartupTest, ALinkThatCannotOpenBringsTheSettingsUpWithTheReasonAfterTheAboutBox) {
    WriteDevices(kFourDevices);
    WriteConfig("[Network]\r\nBroadcastAddress=127.255.255.255\r\nPort=70000\r\n");
    const auto before = ConfigText();
    Launch();
    EXPECT_TRUE(Answer("The network link to 127.255.255.255 port 70000 could not be opened. No command is "
                       "sent until the settings are corrected.",
                       IDOK));
    EXPECT_TRUE(IsWindowVisible(Main()));
    EXPECT_TRUE(IsWindowEnabled(Control(Main(), IDC_BROADCAST_ADDRESS))) << "open for editing";
    ASSERT_TRUE(Exit());
    EXPECT_EQ(ConfigText(), before);
}

TEST_F(StartupTest, SettingsAskedForUnderTheStartUpAboutBoxOpenWhenItClosesAndStayOpen) {
    HWND mainWnd = nullptr, about = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartUnderTheAboutBox(mainWnd, about));
    EXPECT_EQ(GetWindow(about, GW_OWNER), mainWnd);
    ASSERT_TRUE(PostCommand(mainWnd, ID_TRAY_SETTINGS));
    Sleep(300);
    EXPECT_FALSE(IsWindowVisible(mainWnd)) << "not before the box closes";
    ASSERT_TRUE(PostMsg(about, WM_LBUTTONDOWN, MK_LBUTTON, 0));
    ASSERT_TRUE(WaitUntil(
        [&] { return IsWindowVisible(mainWnd) && IsWindowEnabled(Control(mainWnd, IDC_BROADCAST_ADDRESS)); },
        kWait, "the settings window open for editing"));
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(mainWnd)) << "and it stays open";
    ASSERT_TRUE(PostCommand(mainWnd, ID_TRAY_EXIT));
    ASSERT_TRUE(Program().WaitForExit(kExitBound));
}

struct BadArguments {
    const char* label;
    std::vector<std::string> args; // "@FILE" stands for an existing file in the run folder
    std::string message;           // "@FILE" as above
};

class BadCommandLineTest : public ProgramTest, public testing::WithParamInterface<BadArguments> {};

TEST_P(BadCommandLineTest, ShowsTheMessageInAnErrorBoxAndEndsWithCode1) {
    const std::string file = (IniPath().parent_path() / "plain.txt").string();
    Folder().Write("plain.txt", "not a folder");
    auto substitute = [&](std::string text) {
        if (auto at = text.find("@FILE"); at != std::string::npos) {
            text.replace(at, 5, file);
        }
        return text;
    };
    std::vector<std::string> args;
    for (const auto& a : GetParam().args) {
        args.push_back(substitute(a));
    }
    Start(args);
    HWND box = nullptr;
    ASSERT_TRUE(WaitForMessageBox(Pid(), box, kTitle));
    EXPECT_EQ(MessageBoxText(box), substitute(GetParam().message));
    ASSERT_TRUE(PressMessageBoxButton(box, IDOK));
    ASSERT_TRUE(Program().WaitForExit(kExitBound));
    EXPECT_EQ(Program().ExitCode(), 1u);
    EXPECT_FALSE(std::filesystem::exists(ConfigPath()));
}

INSTANTIATE_TEST_SUITE_P(
    Options, BadCommandLineTest,
    testing::Values(
        BadArguments{"IniNameWithABar",
                     {"-i", "my|x.ini"},
                     "Invalid file name given to -i / --alternate-ini: \"my|x.ini\""},
        // The -i check comes first, and the name is reduced to its last component.
        BadArguments{"IniCheckedBeforeDirectory",
                     {"-a", "@FILE", "--ALTERNATE-INI", "C:\\dir\\a?.ini"},
                     "Invalid file name given to -i / --alternate-ini: \"a?.ini\""},
        // Every save into the null device would seem to succeed.
        BadArguments{
            "IniNameIsADevice", {"-i", "NUL"}, "Invalid file name given to -i / --alternate-ini: \"NUL\""},
        BadArguments{"DirectoryIsAFile",
                     {"-A", "@FILE"},
                     "Invalid or inaccessible directory given to -a / --alternate-appdata: \"@FILE\""}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace kve2e
