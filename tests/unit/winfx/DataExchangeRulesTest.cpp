#include "winfx/DataExchangeRules.h"
#include "winfx/TextFormat.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct IntCase {
    std::string text;
    std::optional<int> expected;
};

TEST(ParseDdxInt, AcceptsDecimalIntegersWithSignAndBlanks) {
    const IntCase cases[] = {
        {"0", 0},
        {"255", 255},
        {"-1", -1},
        {"+42", 42},
        {"007", 7},
        {"  12", 12},
        {"12  ", 12},
        {"\t-3\t", -3},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"00000000000000000000001", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseDdxInt(c.text), c.expected) << "text \"" << c.text << "\"";
}

TEST(ParseDdxInt, RefusesEverythingElse) {
    const std::string cases[] = {
        "",    "   ",  "-",   "+",   "+-1",   "- 1",        "1 2",         "12a",
        "a12", "0x10", "1.5", "1e3", "1,000", "2147483648", "-2147483649", "99999999999999999999",
        "\n5", "5\r",
    };
    for (const auto& text : cases)
        EXPECT_EQ(ParseDdxInt(text), std::nullopt) << "text \"" << text << "\"";
}

TEST(CheckDdxInt, SeparatesNotAnIntegerFromOutOfRange) {
    struct Case {
        std::string text;
        int min, max;
        DdxIntOutcome outcome;
        int value;
    };
    const Case cases[] = {
        {"", 1, 65535, DdxIntOutcome::NotInteger, 0},
        {"abc", 1, 65535, DdxIntOutcome::NotInteger, 0},
        {"0", 1, 65535, DdxIntOutcome::OutOfRange, 0},
        {"65536", 1, 65535, DdxIntOutcome::OutOfRange, 65536},
        {"1", 1, 65535, DdxIntOutcome::Ok, 1},
        {"65535", 1, 65535, DdxIntOutcome::Ok, 65535},
        {"256", 0, 255, DdxIntOutcome::OutOfRange, 256},
        {"-1", 0, 255, DdxIntOutcome::OutOfRange, -1},
        {" 9871 ", 1, 65535, DdxIntOutcome::Ok, 9871},
    };
    for (const auto& c : cases) {
        const DdxIntCheck got = CheckDdxInt(c.text, c.min, c.max);
        EXPECT_EQ(got.outcome, c.outcome) << "text \"" << c.text << "\"";
        EXPECT_EQ(got.value, c.value) << "text \"" << c.text << "\"";
    }
}

TEST(DdxFitsLength, CountsCharactersAgainstTheLimit) {
    EXPECT_TRUE(DdxFitsLength("", 12));
    EXPECT_TRUE(DdxFitsLength(std::string(12, 'A'), 12));
    EXPECT_FALSE(DdxFitsLength(std::string(13, 'A'), 12));
    EXPECT_FALSE(DdxFitsLength(std::string(20, 'A'), 12));
    EXPECT_TRUE(DdxFitsLength(std::string(5000, 'A'), 0)) << "0 means no limit";
}

TEST(DdxMessages, FillInBoundsAndLimit) {
    const char* range = "Please enter an integer between %1 and %2.";
    EXPECT_EQ(DdxRangeMessage(range, 1, 65535), "Please enter an integer between 1 and 65535.");
    EXPECT_EQ(DdxRangeMessage(range, -5, 0), "Please enter an integer between -5 and 0.");
    EXPECT_EQ(DdxLengthMessage("Please enter no more than %1 characters.", 12),
              "Please enter no more than 12 characters.");
    // A translated table may put the arguments in another order.
    EXPECT_EQ(DdxRangeMessage("from %2 down to %1", 0, 255), "from 255 down to 0");
}

TEST(FormatText, NumberedAndInOrderPlaceholders) {
    EXPECT_EQ(FormatText("100% %1", {"x"}), "100% x");
    EXPECT_EQ(FormatText("%1%1", {"ab"}), "abab");
    EXPECT_EQ(FormatText("%2 without second", {"a"}), "%2 without second");
    EXPECT_EQ(FormatText("ends with %", {"a"}), "ends with %");
    EXPECT_EQ(FormatText("%0 and %1", {"a"}), "%0 and a");
    EXPECT_EQ(FormatText("%d of %s, 100%%", {"3", "ten"}), "3 of ten, 100%");
    EXPECT_EQ(FormatText("%s and %s", {"one"}), "one and %s");
}

TEST(AppTitleFromModulePath, IsTheFileNameWithoutExtension) {
    EXPECT_EQ(AppTitleFromModulePath("C:\\Program Files\\kv\\kvRemote.exe"), "kvRemote");
    EXPECT_EQ(AppTitleFromModulePath("Z:/work/build/winfx_test.exe"), "winfx_test");
    EXPECT_EQ(AppTitleFromModulePath("C:\\my.dir\\tool"), "tool");
    EXPECT_EQ(AppTitleFromModulePath("C:\\x\\archive.tar.exe"), "archive.tar");
    EXPECT_EQ(AppTitleFromModulePath("kvRemote.exe"), "kvRemote");
}

} // namespace
