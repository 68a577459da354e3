#include "ui/TrayAnimation.h"

bool AnimationState::Start(uint32_t now) {
    deadline_ = now + kAnimationDurationMs;
    if (animating_)
        return false;
    animating_ = true;
    frame_ = 0;
    return true;
}

AnimationState::TickResult AnimationState::Tick(uint32_t now) {
    const int32_t d = static_cast<int32_t>(now - deadline_);
    if (animating_ && d < 0) {
        frame_ = (frame_ + 1) % 4;
        return {kAnimationIcons[frame_], false};
    }
    animating_ = false;
    return {normalIcon_, true};
}
