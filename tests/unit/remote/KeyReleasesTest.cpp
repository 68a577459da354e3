// Which presses get a release line, and with which settings and modifiers.
#include "remote/KeyReleases.h"
#include <gtest/gtest.h>

namespace {

std::string Line(const std::string& app, const std::string& command) {
    return "REMOTE: \"" + app + "\" \"\" \"" + command + "\" 1";
}

TEST(KeyReleases, EachPressThatWentOutGetsOneReleaseWithItsSettings) {
    KeyReleases releases;
    SettingsValues settings;
    releases.Pressed(3, 0x1E, 65, 0, 5, settings);
    EXPECT_TRUE(releases.Empty()) << "no release command, nothing to release";

    settings.keyboards.releaseTextCmd = "AUXUP";
    releases.Pressed(3, 0x1E, 65, 0, 5, settings);
    releases.Pressed(3, 0x1E, 65, 0, 5, settings); // the keyboard's repeat
    releases.Pressed(4, 0x1E, 65, 0, 6, settings); // the same key on another keypad
    // Shift went down meanwhile: the release carries the flags of its own moment.
    EXPECT_EQ(releases.Released(3, 0x1E, 1), (ReleaseLine{"AUXUP/65/1/5", Line("REMOTE", "AUXUP/65/1/5")}));
    EXPECT_EQ(releases.Released(3, 0x1E, 0), std::nullopt) << "one release for the repeats";
    EXPECT_EQ(releases.Released(3, 0x2A, 0), std::nullopt) << "a key whose press sent nothing";

    // Forced, a release goes out with the settings its press went out with.
    releases.Pressed(3, 0x47 | 0x100, 36, 4, 5, settings);
    settings.applicationId = "OTHER";
    settings.keyboards.releaseTextCmd = "CHANGED";
    const std::vector<ReleaseLine> forced = releases.Force(3);
    ASSERT_EQ(forced.size(), 1u);
    EXPECT_EQ(forced[0].line, Line("REMOTE", "AUXUP/36/4/5"));
    EXPECT_EQ(releases.Released(3, 0x47 | 0x100, 0), std::nullopt) << "its physical release sends nothing";
    EXPECT_EQ(releases.Force().size(), 1u) << "keypad 4's key, still down";
    EXPECT_TRUE(releases.Empty());
}

} // namespace
