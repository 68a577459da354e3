// Tray animation and LED flash, driven by tick counts.
#include "res/resource.h"
#include "ui/LedLitUntil.h"
#include "ui/TrayAnimation.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vector>

namespace {

using ::testing::ElementsAre;

// Ticks every 200 ms from `from` while the animation runs; returns the icons shown.
std::vector<int> RunTicks(AnimationState& a, uint32_t from, int maxTicks) {
    std::vector<int> icons;
    for (int i = 0; i < maxTicks; ++i) {
        const AnimationState::TickResult r = a.Tick(from + 200u * i);
        icons.push_back(r.iconId);
        if (r.stopTimer)
            break;
    }
    return icons;
}

TEST(TrayAnimation, CyclesFramesThenEndsOnNormalIconAtDeadline) {
    AnimationState a(IDR_MAINFRAME);
    EXPECT_TRUE(a.Start(10'000));
    const std::vector<int> icons = RunTicks(a, 10'200, 100);
    // 24 frames before 15000, the 25th tick lands on the deadline itself.
    ASSERT_EQ(icons.size(), 25u);
    EXPECT_THAT(std::vector<int>(icons.begin(), icons.begin() + 5),
                ElementsAre(IDI_ANIM1, IDI_ANIM2, IDI_ANIM3, IDI_ANIM0, IDI_ANIM1));
    EXPECT_EQ(icons.back(), IDR_MAINFRAME);
    EXPECT_FALSE(a.Animating());
}

TEST(TrayAnimation, CommandsWhileAnimatingOnlyMoveTheDeadline) {
    AnimationState a(IDI_NODRIVER);
    EXPECT_TRUE(a.Start(0));
    EXPECT_EQ(a.Tick(200).iconId, IDI_ANIM1);
    EXPECT_FALSE(a.Start(300)); // no restart of the frame sequence
    EXPECT_EQ(a.Tick(400).iconId, IDI_ANIM2);
    EXPECT_FALSE(a.Start(600));
    EXPECT_EQ(a.Tick(5599).iconId, IDI_ANIM3);
    EXPECT_EQ(a.Tick(5600).iconId, IDI_NODRIVER);
    // Idle again: the next command starts over from frame 0.
    EXPECT_TRUE(a.Start(9000));
    EXPECT_EQ(a.Tick(9200).iconId, IDI_ANIM1);
}

TEST(TrayAnimation, DeadlineHoldsAcrossTickCounterWrap) {
    AnimationState a(IDR_MAINFRAME);
    const uint32_t start = 0xFFFFF000u; // wraps 4096 ms later
    a.Start(start);
    EXPECT_FALSE(a.Tick(start + 4800).stopTimer); // past the wrap, before the deadline
    EXPECT_TRUE(a.Tick(start + 5000).stopTimer);
}

TEST(LedLitUntil, RepeatedLightsMoveTheDeadlineAndItGoesOutOnce) {
    LedLitUntil led;
    EXPECT_FALSE(led.GoOutIfDue(1000)) << "never lit";
    led.Light(1000);
    led.Light(1200);
    EXPECT_EQ(led.RemainingMs(1300), 200u);
    EXPECT_FALSE(led.GoOutIfDue(1499));
    EXPECT_TRUE(led.Lit());
    EXPECT_TRUE(led.GoOutIfDue(1500));
    EXPECT_FALSE(led.GoOutIfDue(1800)) << "out once";
    EXPECT_EQ(led.RemainingMs(1800), 0u);

    led.Light(0xFFFFFF00u); // the deadline lies past the tick counter's wrap
    EXPECT_FALSE(led.GoOutIfDue(0x00000010u));
    EXPECT_TRUE(led.GoOutIfDue(0x0000002Cu));
}

} // namespace
