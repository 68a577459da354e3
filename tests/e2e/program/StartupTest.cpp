// Start-up and shutdown as a user sees them: the first run, a bad command line, "Exit".
#include "ProgramTest.h"

#include "Controls.h"
#include "FileText.h"
#include "MessageBoxes.h"
#include "WindowFind.h"

namespace kve2e {
namespace {

class StartupTest : public ProgramTest {};

TEST_F(StartupTest, FirstRunShowsTheSettingsInFrontWritesNothingAndEndsOnExit) {
    WriteDevices(kFourDevices);
    Launch();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(Main()) && GetForegroundWindow() == Main(); }, kWait,
                          "the settings window in front"));
    // The controls of template 102, editable because no address is configured yet.
    for (int id :
         {1005, 1006, 1007, 1008, 1009, 1010, 1011, 1013, 1014, 1015, 1016, 1019, 1020, 1021, 1022}) {
        EXPECT_TRUE(IsWindowEnabled(Control(Main(), id))) << "control " << id;
    }
    for (int id : {1, 2, 1012, 1017, 1018, 1023, 1024, 12321}) {
        EXPECT_NE(Control(Main(), id), nullptr) << "control " << id;
    }
    EXPECT_EQ(ControlText(Main(), 1005), "");
    EXPECT_EQ(ControlText(Main(), 1007), "9871");
    EXPECT_EQ(ControlText(Main(), 1009), "REMOTE");
    EXPECT_EQ(ControlText(Main(), 1013), "AUXKEYB");
    EXPECT_EQ(ControlText(Main(), 1020), "AUXMOUSE");
    EXPECT_EQ(ControlText(Main(), 1018), "Interception Driver installed - 2 keyboard(s) found");
    EXPECT_EQ(ControlText(Main(), 1024), "Interception Driver installed - 2 mouse(s) found");
    EXPECT_TRUE(FocusIs(1005));

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
    EXPECT_EQ(ControlText(Main(), 1018), "Interception Driver not installed - Using the main keyboard");
    EXPECT_EQ(ControlText(Main(), 1024), "Interception Driver not installed - Using the main mouse");
    EXPECT_FALSE(IsWindowEnabled(Control(Main(), 1016)));
    EXPECT_FALSE(IsWindowEnabled(Control(Main(), 1022)));
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
    WriteDevices(kFourDevices);
    WriteAuxConfig(9871);
    Start({"-a", IniPath().parent_path().string()});
    HWND mainWnd = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            mainWnd = nullptr;
            bool about = false;
            for (HWND w : TopLevelWindows(Pid())) {
                const bool dialog = ClassName(w) == "#32770" && !IsMessageBox(w);
                mainWnd = dialog && WindowText(w) == kTitle ? w : mainWnd;
                about = about || (dialog && IsWindowVisible(w) && WindowText(w).empty());
            }
            return mainWnd != nullptr && about;
        },
        kWait, "the main window and the start-up About box"));
    // The main window is still initialising under the box; Exit reaches it through the box's loop.
    ASSERT_TRUE(PostCommand(mainWnd, 32773));
    ASSERT_TRUE(Program().WaitForExit(kExitBound));
    EXPECT_EQ(Program().ExitCode(), 0u);
    EXPECT_TRUE(WaitForRecord("close", Millis(1000))) << "the driver context is destroyed";
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
    testing::Values(BadArguments{"IniNameWithABar",
                                 {"-i", "my|x.ini"},
                                 "Invalid file name given to -i / --alternate-ini: \"my|x.ini\""},
                    // The -i check comes first, and the name is reduced to its last component.
                    BadArguments{"IniCheckedBeforeDirectory",
                                 {"-a", "@FILE", "--ALTERNATE-INI", "C:\\dir\\a?.ini"},
                                 "Invalid file name given to -i / --alternate-ini: \"a?.ini\""},
                    BadArguments{
                        "DirectoryIsAFile",
                        {"-A", "@FILE"},
                        "Invalid or inaccessible directory given to -a / --alternate-appdata: \"@FILE\""}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace kve2e
