// Every press a destination got is ended once, with the press's own code and value.
#include "station/PressTracker.h"
#include "capture/Stroke.h"
#include <gtest/gtest.h>

namespace {

std::string Line(const std::string& app, const std::string& command) {
    return "REMOTE: \"" + app + "\" \"\" \"" + command + "\" 1";
}

TEST(PressTracker, EachPressThatWentOutGetsOneReleaseWithItsSettingsAndValue) {
    PressTracker tracker;
    SettingsValues settings;
    EXPECT_EQ(tracker.KeyPressed(3, 0x1E, 65, 0, 5, settings, false), std::nullopt);
    EXPECT_TRUE(tracker.Empty()) << "no release command and no connection: nothing to release";

    settings.keyboards.releaseTextCmd = "AUXUP";
    tracker.KeyPressed(3, 0x1E, 65, 0, 5, settings, false);
    tracker.KeyPressed(3, 0x1E, 65, 0, 5, settings, false); // the keyboard's repeat
    tracker.KeyPressed(4, 0x1E, 65, 0, 6, settings, false); // the same key on another keypad
    // Shift went down meanwhile: the release still carries its press's value, so a receiver pairs them.
    const PressEnd end = tracker.Released(3, 0x1E);
    EXPECT_EQ(end.remote, (ReleaseLine{"AUXUP/65/0/5", Line("REMOTE", "AUXUP/65/0/5")}));
    EXPECT_EQ(end.connections, std::nullopt);
    EXPECT_EQ(tracker.Released(3, 0x1E).remote, std::nullopt) << "one release for the repeats";
    EXPECT_EQ(tracker.Released(3, 0x2A).remote, std::nullopt) << "a key whose press sent nothing";

    // Forced, a release goes out with the settings its press went out with.
    tracker.KeyPressed(3, 0x47 | 0x100, 36, 4, 5, settings, false);
    settings.applicationId = "OTHER";
    settings.keyboards.releaseTextCmd = "CHANGED";
    const std::vector<PressEnd> forced = tracker.Force(3);
    ASSERT_EQ(forced.size(), 1u);
    EXPECT_EQ(forced[0].remote->line, Line("REMOTE", "AUXUP/36/4/5"));
    EXPECT_EQ(tracker.Released(3, 0x47 | 0x100).remote, std::nullopt) << "its physical release sends nothing";
    EXPECT_EQ(tracker.Force().size(), 1u) << "keypad 4's key, still down";
    EXPECT_TRUE(tracker.Empty());
}

TEST(PressTracker, ConnectionsGetAKeyDownOnceAndExactlyOneReleaseAcrossForcesAndRepeats) {
    PressTracker tracker;
    SettingsValues settings; // no release command: the REMOTE lines get no releases
    const auto press = tracker.KeyPressed(2, 0x47, 36, 0, 7, settings, true);
    ASSERT_TRUE(press);
    EXPECT_EQ(press->kind, DestinationEventKind::Press);
    EXPECT_EQ(press->index, 7);
    EXPECT_EQ(press->key, 0x47);
    EXPECT_EQ(tracker.KeyPressed(2, 0x47, 36, 1, 7, settings, true), std::nullopt)
        << "a repeat is no new press";

    // A key down across Apply: forced once, and its physical release later tells nobody.
    const std::vector<PressEnd> forced = tracker.Force();
    ASSERT_EQ(forced.size(), 1u);
    ASSERT_TRUE(forced[0].connections);
    EXPECT_EQ(forced[0].connections->kind, DestinationEventKind::Release);
    EXPECT_EQ(forced[0].connections->value, 0) << "the value of the press the connections got";
    EXPECT_EQ(forced[0].remote, std::nullopt);
    EXPECT_EQ(tracker.Released(2, 0x47).connections, std::nullopt);

    // Both destinations, a device that goes, and mouse buttons beside keys of the same number space.
    settings.keyboards.releaseTextCmd = "UP";
    tracker.KeyPressed(2, 0x1C | 0x100, 13, 0, 7, settings, true);
    tracker.ButtonPressed(12, MouseButton::Left, 1, true);
    EXPECT_EQ(tracker.ButtonPressed(12, MouseButton::Left, 1, true), std::nullopt);
    const std::vector<PressEnd> gone = tracker.Force(2);
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_TRUE(gone[0].remote && gone[0].connections);
    const PressEnd up = tracker.ButtonReleased(12, MouseButton::Left);
    ASSERT_TRUE(up.connections);
    EXPECT_EQ(up.connections->button, MouseButton::Left);
    EXPECT_TRUE(tracker.Empty());
    EXPECT_EQ(ButtonTransitionOf(kMouseRightUp).button, MouseButton::Right);
    EXPECT_EQ(ButtonTransitionOf(kMouseWheel).button, MouseButton::None);
}

} // namespace
