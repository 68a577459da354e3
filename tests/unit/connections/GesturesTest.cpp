// The press patterns told from presses and releases, with time handed in: what a Home Assistant
// automation on "single", "double" or "long" of one key sees, for the sequences users make.
#include "connections/Gestures.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

DestinationEvent Key(DestinationEventKind kind, int key, int index = 5) {
    DestinationEvent event;
    event.index = index;
    event.kind = kind;
    event.key = key;
    event.code = key;
    return event;
}

// Steps "d KEY", "u KEY" (down, up) and "t" (a tick) at given times; the gestures as "kind@time:key".
std::vector<std::string> Told(const std::vector<std::pair<MonoMs, std::string>>& steps) {
    GestureTracker tracker(300, 600);
    std::vector<std::string> told;
    for (const auto& [at, step] : steps) {
        std::vector<Gesture> out;
        if (step == "t") {
            tracker.Tick(at, out);
        } else {
            const int key = std::stoi(step.substr(2));
            tracker.Feed(
                Key(step[0] == 'd' ? DestinationEventKind::Press : DestinationEventKind::Release, key), at,
                out);
        }
        for (const Gesture& gesture : out) {
            static const char* const kNames[] = {"single", "double", "long"};
            told.push_back(std::string(kNames[static_cast<int>(gesture.kind)]) + "@" + std::to_string(at) +
                           ":" + std::to_string(gesture.press.key));
        }
    }
    return told;
}

TEST(Gestures, SingleDoubleAndLongAsTheUserPressedThem) {
    using V = std::vector<std::string>;
    // One press: single once the window after the release has passed, not before.
    EXPECT_EQ(Told({{0, "d 7"}, {100, "u 7"}, {350, "t"}, {400, "t"}, {500, "t"}}), V{"single@400:7"});
    // Two quick presses: one double at the second press, nothing at its release, no single after.
    EXPECT_EQ(Told({{0, "d 7"}, {80, "u 7"}, {200, "d 7"}, {260, "u 7"}, {900, "t"}}), V{"double@200:7"});
    // A third quick press starts a new sequence: it ends as a single.
    EXPECT_EQ(
        Told({{0, "d 7"}, {50, "u 7"}, {100, "d 7"}, {150, "u 7"}, {200, "d 7"}, {250, "u 7"}, {600, "t"}}),
        (V{"double@100:7", "single@600:7"}));
    // Held: long at the moment the time is reached, and neither single nor double for that press.
    EXPECT_EQ(
        Told({{0, "d 7"}, {500, "t"}, {600, "t"}, {700, "t"}, {2000, "u 7"}, {2100, "d 7"}, {2500, "t"}}),
        V{"long@600:7"});
    // A second press too late: the first is a single (even when no tick came between), the second
    // starts again.
    EXPECT_EQ(Told({{0, "d 7"}, {50, "u 7"}, {400, "d 7"}, {450, "u 7"}, {800, "t"}}),
              (V{"single@400:7", "single@800:7"}));
    // A release after the long time with no tick between: still long, at the release.
    EXPECT_EQ(Told({{0, "d 7"}, {650, "u 7"}, {1000, "t"}}), V{"long@650:7"});
    // The network thread wakes for the next moment a gesture can be told, not at its next tick.
    GestureTracker tracker(300, 600);
    std::vector<Gesture> out;
    EXPECT_EQ(tracker.NextDue(), 0);
    tracker.Feed(Key(DestinationEventKind::Press, 7), 1000, out);
    EXPECT_EQ(tracker.NextDue(), 1600);
    tracker.Feed(Key(DestinationEventKind::Release, 7), 1100, out);
    EXPECT_EQ(tracker.NextDue(), 1400);
    // Keys are told apart: one key's double is not another's.
    EXPECT_EQ(Told({{0, "d 7"}, {50, "u 7"}, {100, "d 8"}, {150, "u 8"}, {500, "t"}}),
              (V{"single@500:7", "single@500:8"}));
}

} // namespace
