#include "FileText.h"
#include "FixturePrograms.h"

#include <gtest/gtest.h>

namespace kve2e {
namespace {

// Runs console_child through console_launcher and returns the launcher's report.
std::string LaunchReport(const RunFolder& folder, bool withConsole, const std::string& line) {
    StartOptions options;
    if (!withConsole) {
        options.args.push_back("--no-console");
    }
    options.args.insert(options.args.end(), {(folder / "report.txt").string(),
                                             FixtureProgram("console_child.exe").string(), line});
    Process launcher = Process::Start(FixtureProgram("console_launcher.exe"), options);
    EXPECT_TRUE(launcher.WaitForExit(Millis(90000)));
    EXPECT_EQ(launcher.ExitCode(), 0u);
    return ReadFileText(folder / "report.txt").value_or("<no report>");
}

TEST(ConsoleTest, AGuiProgramWritesItsLineToTheLaunchingConsole) {
    RunFolder folder;
    const std::string report = LaunchReport(folder, true, "kvRemote: a console line");
    // 1: Wine attached the GUI child to the console already, so AttachConsole said "access denied".
    EXPECT_TRUE(report.starts_with("exit=0\n") || report.starts_with("exit=1\n")) << report;
    EXPECT_NE(report.find("\nkvRemote: a console line\n"), std::string::npos) << report;
}

TEST(ConsoleTest, WithoutAConsoleTheProgramFindsNoneToAttach) {
    RunFolder folder;
    EXPECT_EQ(LaunchReport(folder, false, "unseen"), "exit=2\n");
}

} // namespace
} // namespace kve2e
