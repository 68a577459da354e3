#include "capture/StallWatch.h"

void StallWatch::Restart(std::uint32_t passes, std::uint32_t now) {
    passes_ = passes;
    progressAt_ = now;
    checkedAt_ = now;
}

bool StallWatch::Check(std::uint32_t passes, std::uint32_t now) {
    // Unsigned differences hold across the tick counter's wrap.
    const std::uint32_t sinceCheck = now - checkedAt_;
    if (sinceCheck > kCheckMs + kLateMs || passes != passes_) {
        Restart(passes, now);
        return false;
    }
    checkedAt_ = now;
    return now - progressAt_ >= kStallMs;
}
