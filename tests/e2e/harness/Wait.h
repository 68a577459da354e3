// Bounded polling for end-to-end tests: every wait has a time-out and says what it waited for.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string_view>

namespace kve2e {

using Millis = std::chrono::milliseconds;

// Default bound for anything a program under Wine does on its own (start, show a window, answer).
// Loose on purpose: Wine under load is slow, and a bound is a failure guard, not a measurement.
inline constexpr Millis kWait{20000};
inline constexpr Millis kPollStep{50};

// Polls pred until it holds or timeout passes. The failure names `what` and the bound, e.g.
// "timed out after 20000 ms waiting for window \"Harness Fixture\"".
testing::AssertionResult WaitUntil(const std::function<bool()>& pred, Millis timeout, std::string_view what);

} // namespace kve2e
