// The sign-in entry's decisions: how the Run command is written, when a Run value names this
// program, and what the item changes in the value.
#include "settings/SignInEntry.h"

#include <gtest/gtest.h>

namespace {

TEST(SignInCommand, ArgumentsAreQuotedAsTheRunTimeLibrarySplitsThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"kv.ini", "kv.ini"},
        {"C:\\cfg\\", "C:\\cfg\\"}, // no blank: backslashes stay as they are
        {"", "\"\""},
        {"C:\\My Dir", "\"C:\\My Dir\""},
        {"C:\\My Dir\\", "\"C:\\My Dir\\\\\""},     // a trailing backslash must not escape the quote
        {"a \\\"b\\\\", "\"a \\\\\\\"b\\\\\\\\\""}, // backslashes before a quote and at the end doubled
        {"tab\there", "\"tab\there\""},
    };
    for (const auto& [argument, quoted] : cases)
        EXPECT_EQ(QuoteArgument(argument), quoted) << argument;
}

TEST(SignInCommand, TheQuotedProgramIsFollowedByTheOptionsGiven) {
    const std::string exe = "C:\\Program Files\\kvRemote\\kvRemote.exe";
    EXPECT_EQ(ComposeRunCommand(exe, "", ""), "\"C:\\Program Files\\kvRemote\\kvRemote.exe\"");
    EXPECT_EQ(ComposeRunCommand(exe, "D:\\kv data", "my.ini"),
              "\"C:\\Program Files\\kvRemote\\kvRemote.exe\" -a \"D:\\kv data\" -i my.ini");
    EXPECT_EQ(ComposeRunCommand("C:\\kv\\kvRemote.exe", "", "x.ini"), "\"C:\\kv\\kvRemote.exe\" -i x.ini");
}

TEST(SignInCommand, AValueNamesTheProgramByItsFirstArgumentAsWindowsComparesPaths) {
    const std::string exe = "C:\\Program Files\\kvRemote\\kvRemote.exe";
    const std::pair<const char*, bool> cases[] = {
        {"\"C:\\Program Files\\kvRemote\\kvRemote.exe\"", true},
        {"  \"c:\\program files\\KVREMOTE\\kvremote.EXE\" -a D:\\x", true},
        {"\"C:/Program Files/kvRemote/kvRemote.exe\"", true},
        {"\"C:\\Program Files (x86)\\kvRemote\\kvRemote.exe\"", false},
        {"\"C:\\Program Files\\kvRemote\\kvRemote.exe2\"", false},
        {"C:\\Program Files\\kvRemote\\kvRemote.exe", false}, // unquoted, it starts "C:\Program"
        {"", false},
    };
    for (const auto& [value, names] : cases)
        EXPECT_EQ(RunCommandNamesProgram(value, exe), names) << value;
    EXPECT_TRUE(RunCommandNamesProgram("C:\\kv\\kvRemote.exe -i x.ini", "C:\\kv\\kvRemote.exe"));
}

struct FakeRunValue : RunValueStore {
    std::optional<std::string> value;
    bool refuse = false;
    std::optional<std::string> Read() const override { return value; }
    bool Write(const std::string& command) override {
        if (!refuse)
            value = command;
        return !refuse;
    }
    bool Remove() override {
        if (!refuse)
            value.reset();
        return !refuse;
    }
};

TEST(SignInEntry, OnWritesTheCommandOverAnyValueAndOffDeletesIt) {
    FakeRunValue run;
    SignInEntry entry(run, "C:\\kv\\kvRemote.exe", "\"C:\\kv\\kvRemote.exe\" -i x.ini");
    EXPECT_FALSE(entry.IsOn());
    run.value = "\"D:\\old\\kvRemote.exe\"";
    EXPECT_FALSE(entry.IsOn());
    EXPECT_TRUE(entry.Set(true));
    EXPECT_EQ(run.value, "\"C:\\kv\\kvRemote.exe\" -i x.ini");
    EXPECT_TRUE(entry.IsOn());
    EXPECT_TRUE(entry.Set(false));
    EXPECT_FALSE(run.value);

    run.refuse = true;
    EXPECT_FALSE(entry.Set(true));
    EXPECT_FALSE(entry.IsOn());
}

} // namespace
