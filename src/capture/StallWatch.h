#pragma once
// Decides whether the capture thread has stalled, from its pass counter and a millisecond tick
// count that wraps. Checked twice a second while a filter is set: a healthy pass ends within one
// 50 ms driver wait, so a counter that has not moved for 2 s means nobody gives the held strokes
// back. A check that comes more than 1 s late (the machine slept; the tick count includes sleep)
// starts the count afresh instead of blaming the thread for the lost time.
#include <cstdint>

class StallWatch {
public:
    static constexpr std::uint32_t kCheckMs = 500;
    static constexpr std::uint32_t kStallMs = 2000;
    static constexpr std::uint32_t kLateMs = 1000;

    // Starts counting from now with the counter as it is.
    void Restart(std::uint32_t passes, std::uint32_t now);
    // One check; true when no pass has completed for kStallMs.
    bool Check(std::uint32_t passes, std::uint32_t now);

private:
    std::uint32_t passes_ = 0;
    std::uint32_t progressAt_ = 0; // tick of the check that last saw the counter move
    std::uint32_t checkedAt_ = 0;
};
