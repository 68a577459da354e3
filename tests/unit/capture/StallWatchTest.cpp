// The stall decision on injected ticks: checks every 500 ms, a counter that stops, a check that
// comes late, and the tick counter's wrap.
#include "capture/StallWatch.h"
#include <gtest/gtest.h>
#include <cstdint>

namespace {

// Checks every 500 ms from `start` with the counter stuck at `passes`; the tick of the first trip,
// counted from start, or 0 when none came within 10 s.
std::uint32_t FirstTrip(StallWatch& watch, std::uint32_t start, std::uint32_t passes) {
    for (std::uint32_t t = StallWatch::kCheckMs; t <= 10000; t += StallWatch::kCheckMs) {
        if (watch.Check(passes, start + t)) {
            return t;
        }
    }
    return 0;
}

TEST(StallWatch, TripsAfterTwoSecondsWithoutAPassEvenAcrossTheWrap) {
    for (const std::uint32_t start : {1000u, 0xFFFFFC00u}) {
        StallWatch watch;
        watch.Restart(7, start);
        // Passes go on for a while: never a trip.
        std::uint32_t now = start;
        for (std::uint32_t passes = 8; passes < 20; ++passes) {
            now += StallWatch::kCheckMs;
            EXPECT_FALSE(watch.Check(passes, now)) << start;
        }
        EXPECT_EQ(FirstTrip(watch, now, 19), 2000u) << start;
    }
}

TEST(StallWatch, ALateCheckRestartsTheCountInsteadOfTripping) {
    StallWatch watch;
    watch.Restart(3, 0xFFFFF000u);
    EXPECT_FALSE(watch.Check(3, 0xFFFFF000u + 500));
    // The machine slept for an hour: the next check is late by far, the counter has not moved.
    const std::uint32_t woke = 0xFFFFF000u + 500 + 3600000;
    EXPECT_FALSE(watch.Check(3, woke));
    // Counted afresh from the late check; a check just over 1 s late restarts it once more.
    EXPECT_FALSE(watch.Check(3, woke + 1500));
    EXPECT_FALSE(watch.Check(3, woke + 1500 + 1501));
    EXPECT_EQ(FirstTrip(watch, woke + 3001, 3), 2000u);
}

} // namespace
