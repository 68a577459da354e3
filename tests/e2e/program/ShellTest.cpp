// The application shell from outside: where each command line puts the configuration, the console
// line of a refused command line, and "Exit" ending the program without writing anything.
#include "ProgramTest.h"

#include "BuildPath.h"
#include "Controls.h"
#include "FileText.h"
#include "MessageBoxes.h"
#include "WindowFind.h"

#include <shlobj.h>

#ifndef KV_E2E_CONSOLE_LAUNCHER
#define KV_E2E_CONSOLE_LAUNCHER ""
#endif

namespace kve2e {
namespace {

namespace fs = std::filesystem;

// "Exit" ends the program after a driver wait or two; loose because Wine under load is slow.
constexpr Millis kPromptExit{5000};

fs::path WindowsFolder() {
    char buffer[MAX_PATH] = {};
    GetWindowsDirectoryA(buffer, MAX_PATH);
    return buffer;
}

fs::path SharedAppDataFolder() {
    char buffer[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, buffer);
    return buffer;
}

// Removes a file or folder of the prefix when the test ends, however it ends.
struct RemoveAtEnd {
    fs::path path;
    ~RemoveAtEnd() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

class ShellTest : public ProgramTest {
protected:
    // Posts "Exit" and expects the process gone promptly, with exit code 0.
    void ExitPromptly(HWND main) {
        ASSERT_TRUE(PostCommand(main, ID_TRAY_EXIT));
        ASSERT_TRUE(Program().WaitForExit(kPromptExit));
        EXPECT_EQ(Program().ExitCode(), 0u);
    }
};

TEST_F(ShellTest, ANewNestedAlternateFolderIsMadeWithItsCfgAndOptionsIgnoreCase) {
    WriteDevices(kFourDevices);
    const fs::path nested = Folder().Path() / "new" / "dir";
    // The later -a replaces the run folder given first; unknown arguments are passed over.
    Launch({"-x", "--ALTERNATE-APPDATA", nested.string(), "/q"});
    EXPECT_TRUE(fs::is_directory(nested / "cfg"));
    EXPECT_FALSE(fs::exists(Folder().Path() / "cfg")) << "the replaced -a is not used";
    ExitPromptly(Main());
    EXPECT_FALSE(fs::exists(nested / "cfg" / "kvRemote.ini")) << "Exit writes nothing";
}

TEST_F(ShellTest, AnIniNameWithAFolderIsTheBareNameInTheWindowsFolder) {
    WriteDevices(kFourDevices);
    // A name of its own per run: the profile functions cache files by name.
    const std::string name = "kvShell" + std::to_string(GetCurrentProcessId()) + ".ini";
    const RemoveAtEnd file{WindowsFolder() / name};
    const std::string text = "[Network]\r\nPort=4321\r\n[Keyboards]\r\nTextCmd=SHELL\r\n";
    ASSERT_TRUE(WriteFileText(file.path, text));
    Launch({"-I", "C:\\dir\\" + name});
    EXPECT_EQ(ControlText(Main(), IDC_PORT), "4321");
    EXPECT_EQ(ControlText(Main(), IDC_KEYB_TEXTCMD), "SHELL");
    EXPECT_FALSE(fs::exists(Folder().Path() / "cfg")) << "no folder is made for an -i name";
    EXPECT_FALSE(fs::exists("C:\\dir")) << "the -i name's folder is not used";
    ExitPromptly(Main());
    EXPECT_EQ(ReadFileText(file.path), text);
}

TEST_F(ShellTest, AFirstRunWithoutArgumentsMakesTheSharedFolderAndOpensInFront) {
    WriteDevices(kFourDevices);
    const fs::path shared = SharedAppDataFolder();
    ASSERT_FALSE(shared.empty());
    const RemoveAtEnd korvane{shared / "Korvane"};
    fs::remove_all(korvane.path);
    Start();
    HWND main = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (HWND w : TopLevelWindows(Pid())) {
                if (!IsMessageBox(w) && WindowText(w) == kTitle) {
                    main = w;
                } else if (IsWindowVisible(w) && ClassName(w) == "#32770" && WindowText(w).empty()) {
                    // The start-up About box closes on a click.
                    PostMsg(w, WM_LBUTTONDOWN, MK_LBUTTON, 0);
                    PostMsg(w, WM_LBUTTONUP, 0, 0);
                }
            }
            return main && IsWindowVisible(main) && GetForegroundWindow() == main;
        },
        kWait, "the settings window in front"));
    EXPECT_TRUE(fs::is_directory(korvane.path / "cfg"));
    ExitPromptly(main);
    EXPECT_FALSE(fs::exists(korvane.path / "cfg" / "kvRemote.ini"));
}

struct RefusedCase {
    const char* label;
    std::string option;
    std::string value;   // "@FILE": a file in the run folder; "@LONG": a folder of 250 characters
    std::string message; // the same stand-ins
};

void PrintTo(const RefusedCase& c, std::ostream* out) {
    *out << c.label;
}

// The console's rows as lines: a row that fills the console's width goes on in the next row.
std::string Unwrapped(const std::string& rows, std::size_t width = 80) {
    std::string text;
    std::size_t start = 0;
    for (std::size_t end; (end = rows.find('\n', start)) != std::string::npos; start = end + 1) {
        text.append(rows, start, end - start);
        if (end - start < width) {
            text += '\n';
        }
    }
    return text + rows.substr(start);
}

class RefusedFromConsoleTest : public ShellTest, public testing::WithParamInterface<RefusedCase> {};

// Started from a console, a refused command line shows its message in an error box and on that
// console, then ends with code 1 before any window or file exists.
TEST_P(RefusedFromConsoleTest, WritesTheConsoleLineShowsTheBoxAndEndsWithCode1) {
    if (*KV_E2E_CONSOLE_LAUNCHER == '\0') {
        GTEST_SKIP() << "console_launcher is not built in this tree";
    }
    // A name of its own, so the box is told apart by its caption, the program's title.
    const std::string title = "kvShellConsole";
    Folder().Copy(ProgramPath(), title + ".exe");
    const std::string file = Folder().Write("plain.txt", "not a folder").string();
    const std::string base = Folder().Path().string() + "\\";
    ASSERT_LT(base.size(), 250u);
    const std::string longDir = base + std::string(250 - base.size(), 'd');
    auto substitute = [&](std::string text) {
        for (auto [from, to] : {std::pair<std::string, std::string>{"@FILE", file}, {"@LONG", longDir}}) {
            if (auto at = text.find(from); at != std::string::npos) {
                text.replace(at, from.size(), to);
            }
        }
        return text;
    };
    const std::string message = substitute(GetParam().message);

    StartOptions options;
    options.workingDir = Folder().Path();
    options.args = {(Folder() / "report.txt").string(), (Folder() / (title + ".exe")).string(),
                    GetParam().option, substitute(GetParam().value)};
    Process launcher = Process::Start(BuildPath(KV_E2E_CONSOLE_LAUNCHER), options);

    HWND box = nullptr;
    ASSERT_TRUE(WaitForMessageBox(0, box, title));
    EXPECT_EQ(MessageBoxText(box), message);
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    for (HWND w : TopLevelWindows(pid)) {
        EXPECT_TRUE(w == box || !IsWindowVisible(w))
            << "a window \"" << WindowText(w) << "\" besides the box";
    }
    ASSERT_TRUE(PressMessageBoxButton(box, IDOK));
    ASSERT_TRUE(launcher.WaitForExit(kWait));
    EXPECT_EQ(launcher.ExitCode(), 0u) << "the launcher could not run the program";

    const std::string report = Unwrapped(ReadFileText(Folder() / "report.txt").value_or("<no report>"));
    EXPECT_TRUE(report.starts_with("exit=1\n")) << report;
    EXPECT_NE(report.find("\nkvRemote: " + message + "\n"), std::string::npos) << report;
    EXPECT_FALSE(fs::exists(Folder() / "cfg"));
    EXPECT_FALSE(fs::exists(longDir));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, RefusedFromConsoleTest,
    testing::Values(
        RefusedCase{"IniNameWithABar", "-I", "my|x.ini",
                    "Invalid file name given to -i / --alternate-ini: \"my|x.ini\""},
        RefusedCase{"DirectoryIsAFile", "-a", "@FILE",
                    "Invalid or inaccessible directory given to -a / --alternate-appdata: \"@FILE\""},
        // Its configuration path, the folder with "\cfg\kvRemote.ini", would not fit in 260.
        RefusedCase{"DirectoryTooLongForItsFile", "--alternate-appdata", "@LONG",
                    "Invalid or inaccessible directory given to -a / --alternate-appdata: \"@LONG\""}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace kve2e
