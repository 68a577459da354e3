#include "app/CommandLine.h"
#include "FakeTexts.h"
#include "res/resource.h"
#include "FakeFileSystem.h"
#include <gtest/gtest.h>

namespace {

struct ParseCase {
    std::vector<std::string> args;
    std::string alternateDir;
    std::string iniName;
};

class ParseCommandLineTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommandLineTest, ScansOptions) {
    const ParseCase& c = GetParam();
    std::vector<std::string> args{"kvRemote.exe"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    CommandLineOptions options = ParseCommandLine(args);
    EXPECT_EQ(options.alternateDir, c.alternateDir);
    EXPECT_EQ(options.iniName, c.iniName);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseCommandLineTest,
    ::testing::Values(
        ParseCase{{}, "", ""}, ParseCase{{"-a", "D:\\x"}, "D:\\x", ""},
        ParseCase{{"--alternate-appdata", "D:\\x", "--alternate-ini", "my.ini"}, "D:\\x", "my.ini"},
        ParseCase{{"-I", "up.ini"}, "", "up.ini"}, ParseCase{{"--ALTERNATE-INI", "up.ini"}, "", "up.ini"},
        ParseCase{{"-A", "D:\\y"}, "D:\\y", ""},
        // Unknown arguments are skipped, a trailing option is ignored.
        ParseCase{{"-x", "stray", "-a"}, "", ""}, ParseCase{{"-i", "a.ini", "-i"}, "", "a.ini"},
        // A later option wins; values are taken literally, even option-like ones.
        ParseCase{{"-a", "one", "-a", "two"}, "two", ""}, ParseCase{{"-a", "-i"}, "-i", ""},
        ParseCase{{"-a", "-i", "x.ini"}, "-i", ""},
        // Option names must match whole, "-ab" is no option.
        ParseCase{{"-ab", "x", "-i-", "y"}, "", ""},
        // The -i name is reduced to its last path component.
        ParseCase{{"-i", "C:\\dir\\my.ini"}, "", "my.ini"}, ParseCase{{"-i", "x/y.ini"}, "", "y.ini"},
        ParseCase{{"-i", "a/b\\c.ini"}, "", "c.ini"}, ParseCase{{"-i", "a\\b/c.ini"}, "", "c.ini"},
        ParseCase{{"-i", "dir\\"}, "", ""}, ParseCase{{"-i", ""}, "", ""}));

TEST(ParseCommandLine, EmptyArgumentListIsHarmless) {
    CommandLineOptions options = ParseCommandLine({});
    EXPECT_TRUE(options.alternateDir.empty());
    EXPECT_TRUE(options.iniName.empty());
}

const std::string kIniMessage = "Invalid file name given to -i / --alternate-ini: ";
const std::string kDirMessage = "Invalid or inaccessible directory given to -a / --alternate-appdata: ";
const FakeTexts kTexts{{IDS_BAD_INI_NAME, kIniMessage + "\"%s\""},
                       {IDS_BAD_ALTERNATE_DIR, kDirMessage + "\"%s\""}};

struct CheckCase {
    std::string iniName;
    std::string alternateDir;
    bool ok;
    std::string message;
};

class CheckCommandLineTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckCommandLineTest, ReportsFirstFailure) {
    const CheckCase& c = GetParam();
    FakeFileSystem fs;
    fs.entries = {{"C:", FileSystem::Kind::Directory},
                  {"C:\\data", FileSystem::Kind::Directory},
                  {"C:\\file.txt", FileSystem::Kind::File}};
    std::string message = "untouched";
    EXPECT_EQ(CheckCommandLine(c.iniName, c.alternateDir, fs, kTexts, message), c.ok);
    EXPECT_EQ(message, c.ok ? std::string("untouched") : c.message);
}

const std::string kLongDir = "C:\\" + std::string(240, 'd');

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckCommandLineTest,
    ::testing::Values(CheckCase{"", "", true, ""}, CheckCase{"my.ini", "C:\\data", true, ""},
                      CheckCase{"my|x.ini", "", false, kIniMessage + "\"my|x.ini\""},
                      CheckCase{"c:d", "", false, kIniMessage + "\"c:d\""},
                      CheckCase{"q\"", "", false, kIniMessage + "\"q\"\""},
                      CheckCase{"b\\s", "", false, kIniMessage + "\"b\\s\""},
                      // The -i check comes first.
                      CheckCase{"my|x.ini", "C:\\file.txt", false, kIniMessage + "\"my|x.ini\""},
                      // The -a value is quoted exactly as typed.
                      CheckCase{"", "C:\\file.txt", false, kDirMessage + "\"C:\\file.txt\""},
                      CheckCase{"my.ini", "C:\\file.txt", false, kDirMessage + "\"C:\\file.txt\""},
                      // A name or directory that would make too long a path is refused.
                      CheckCase{std::string(249, 'n'), "", false,
                                kIniMessage + "\"" + std::string(249, 'n') + "\""},
                      CheckCase{std::string(248, 'n'), "", true, ""},
                      CheckCase{"", kLongDir, false, kDirMessage + "\"" + kLongDir + "\""},
                      // Devices, not files, in any letter case and with any extension.
                      CheckCase{"NUL", "", false, kIniMessage + "\"NUL\""},
                      CheckCase{"com1.ini", "", false, kIniMessage + "\"com1.ini\""},
                      CheckCase{"Aux .cfg.ini", "", false, kIniMessage + "\"Aux .cfg.ini\""},
                      CheckCase{"lpt3", "", false, kIniMessage + "\"lpt3\""},
                      CheckCase{"conout$", "", false, kIniMessage + "\"conout$\""},
                      CheckCase{"a\tb.ini", "", false, kIniMessage + "\"a\tb.ini\""},
                      CheckCase{"console.ini", "", true, ""}, CheckCase{"com10.ini", "", true, ""},
                      CheckCase{"nul1", "", true, ""}));

TEST(CheckCommandLine, CreatesMissingAlternateFolders) {
    FakeFileSystem fs;
    fs.entries = {{"D:", FileSystem::Kind::Directory}};
    std::string message;
    EXPECT_TRUE(CheckCommandLine("", "D:\\new\\dir", fs, kTexts, message)) << message;
    EXPECT_EQ(fs.created, (std::vector<std::string>{"D:\\new", "D:\\new\\dir"}));
}

TEST(CheckCommandLine, UncreatableAlternateFolderFails) {
    FakeFileSystem fs;
    fs.refuseCreate = {"Z:\\nope"};
    std::string message;
    EXPECT_FALSE(CheckCommandLine("", "Z:\\nope", fs, kTexts, message));
    EXPECT_EQ(message, kDirMessage + "\"Z:\\nope\"");
}

TEST(CheckCommandLine, TooLongAlternateFolderCreatesNothing) {
    FakeFileSystem fs;
    std::string message;
    std::string dir = "C:\\" + std::string(200, 'a') + "\\" + std::string(50, 'b');
    EXPECT_FALSE(CheckCommandLine("", dir, fs, kTexts, message));
    EXPECT_TRUE(fs.created.empty());
}

TEST(CheckCommandLine, LongestFittingAlternateFolderPasses) {
    FakeFileSystem fs;
    // With "\" and "cfg\kvRemote.ini" appended the path has 259 characters and its terminator fits.
    std::string dir = "C:\\" + std::string(259 - 3 - 1 - 16, 'a');
    std::string message;
    EXPECT_TRUE(CheckCommandLine("", dir, fs, kTexts, message)) << message;
    dir += 'a';
    EXPECT_FALSE(CheckCommandLine("", dir, fs, kTexts, message));
}

TEST(FormatConsoleLine, PrefixesProgramAndEndsLine) {
    EXPECT_EQ(FormatConsoleLine(FakeTexts{{IDS_CONSOLE_LINE, "kvRemote: %s"}}, "boom \"x\""),
              "kvRemote: boom \"x\"\n");
}

} // namespace
