#include "FileText.h"
#include "FixturePrograms.h"
#include "Process.h"
#include "RunFolder.h"
#include "WindowFind.h"

#include <gtest/gtest.h>

namespace kve2e {
namespace {

std::string ArgsReport(const RunFolder& folder) {
    return ReadFileText(folder / "args.txt").value_or("<none>");
}

TEST(ProcessTest, ArgumentsArriveUnchangedInTheWorkingFolderWithTheGivenEnvironment) {
    RunFolder folder;
    const std::vector<std::string> tricky = {
        "plain",
        "two words",
        "",
        "quote\"inside",
        "trailing\\",
        "space and trailing\\ \\",
        "a\\\\\"b\\c",
        "tab\there",
        "\"quoted\"",
        "C:\\Program Files\\kv\\",
    };
    SetEnvironmentVariableA("KVE2E_REMOVED", "present in the test");
    StartOptions options;
    options.args = {"--args-file", "args.txt", "--env", "KVE2E_SET", "--env", "KVE2E_REMOVED"};
    options.args.insert(options.args.end(), tricky.begin(), tricky.end());
    options.args.insert(options.args.end(), {"--exit", "0"});
    options.workingDir = folder.Path();
    options.env = {{"KVE2E_SET", "a value"}, {"KVE2E_REMOVED", std::nullopt}};
    Process p = Process::Start(FixtureProgram("harness_fixture_app.exe"), options);
    ASSERT_TRUE(p.WaitForExit());

    std::string expected;
    for (const auto& arg : options.args) {
        expected += "arg=" + arg + "\n";
    }
    expected += "cwd=" + folder.Path().string() + "\n";
    expected += "env KVE2E_SET=a value\nenv KVE2E_REMOVED=<unset>\n";
    EXPECT_EQ(ArgsReport(folder), expected);
}

TEST(ProcessTest, ReportsTheExitCodeOnlyOnceTheProgramHasEnded) {
    RunFolder folder;
    Process ended = StartFixtureApp(folder, {"--exit", "7"});
    ASSERT_TRUE(ended.WaitForExit());
    EXPECT_FALSE(ended.IsRunning());
    EXPECT_EQ(ended.ExitCode(), 7u);

    Process running = StartFixtureApp(folder, {"--title", UniqueTitle()});
    HWND w;
    ASSERT_TRUE(WaitForWindow(running.Pid(), UniqueTitle(), w));
    const auto waited = running.WaitForExit(Millis(300));
    ASSERT_FALSE(waited);
    EXPECT_NE(std::string(waited.message()).find("still running after 300 ms"), std::string::npos)
        << waited.message();
    EXPECT_EQ(running.ExitCode(), std::nullopt);
    running.Terminate();
    EXPECT_FALSE(running.IsRunning());
    EXPECT_EQ(running.ExitCode(), 1u);
}

TEST(ProcessTest, NothingOutlivesItsProcessObjectNotEvenWhatTheProgramStarted) {
    RunFolder folder;
    const std::string title = UniqueTitle();
    HANDLE launcherHandle = nullptr;
    HANDLE childHandle = nullptr;
    {
        // The launcher starts the dialog program as its own child and waits for it.
        StartOptions options;
        options.args = {(folder / "report.txt").string(), FixtureProgram("harness_fixture_app.exe").string(),
                        "--title", title};
        Process launcher = Process::Start(FixtureProgram("console_launcher.exe"), options);
        HWND w;
        ASSERT_TRUE(WaitForWindow(0, title, w));
        DWORD childPid = 0;
        GetWindowThreadProcessId(w, &childPid);
        ASSERT_NE(childPid, launcher.Pid());
        launcherHandle = OpenProcess(SYNCHRONIZE, FALSE, launcher.Pid());
        childHandle = OpenProcess(SYNCHRONIZE, FALSE, childPid);
        ASSERT_NE(childHandle, nullptr);
    }
    EXPECT_EQ(WaitForSingleObject(launcherHandle, 10000), WAIT_OBJECT_0) << "the launcher outlived the test";
    EXPECT_EQ(WaitForSingleObject(childHandle, 10000), WAIT_OBJECT_0)
        << "the launcher's child outlived the test";
    CloseHandle(launcherHandle);
    CloseHandle(childHandle);
}

TEST(ProcessTest, AProgramThatCannotStartThrowsWithItsName) {
    try {
        Process::Start(ProgramFolder() / "no-such-program.exe");
        FAIL() << "started a missing program";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("no-such-program.exe"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace kve2e
