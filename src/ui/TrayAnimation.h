#pragma once
// The tray icon's activity animation: 200 ms frames until 5000 ms after the latest command.
// Driven by the caller's tick counts; the deadline compare is a signed 32-bit difference so it
// holds across the wrap of the tick counter.
#include "res/resource.h"

#include <cstdint>

inline constexpr unsigned kAnimationFrameMs = 200;
inline constexpr uint32_t kAnimationDurationMs = 5000;
inline constexpr int kAnimationIcons[4] = {IDI_ANIM0, IDI_ANIM1, IDI_ANIM2, IDI_ANIM3}; // frames 0-3

class AnimationState {
public:
    struct TickResult {
        int iconId;     // icon to show in the tray
        bool stopTimer; // the animation ended: kill the animation timer
    };

    explicit AnimationState(int normalIconId) : normalIcon_(normalIconId) {}

    // A command at `now`: the deadline moves to now + 5000. Returns true when the animation starts
    // (it was idle), so the caller starts the animation timer; frame is then 0.
    bool Start(uint32_t now);

    // A tick of the animation timer: the next frame before the deadline, the normal icon at or after it.
    TickResult Tick(uint32_t now);

    bool Animating() const { return animating_; }
    int Frame() const { return frame_; }
    uint32_t Deadline() const { return deadline_; }
    int NormalIcon() const { return normalIcon_; }

private:
    int normalIcon_;
    int32_t frame_ = 0;
    bool animating_ = false;
    uint32_t deadline_ = 0;
};
