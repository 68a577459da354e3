#pragma once
// The values the capture thread shares with the user-interface thread. Each is a std::atomic used
// with plain loads and stores only, and each has a single writer.
#include "capture/DeviceClass.h"
#include "capture/DriverApi.h"
#include "capture/WindowsKeysHandoff.h"
#include <array>
#include <atomic>
#include <cstdint>

struct CaptureShared {
    // Made before the thread starts, destroyed after it has ended (user-interface thread).
    std::atomic<DriverContext> context{nullptr};
    // Window handle WM_AUX_INPUT goes to, as an opaque value: a window that is gone costs a failed post.
    std::atomic<std::uintptr_t> target{0};
    // 1 while a setup dialog runs (user-interface thread).
    std::atomic<std::int32_t> setupMode{0};
    // 1 asks the thread to end at the end of its pass, after taking what the driver still holds
    // (user-interface thread).
    std::atomic<std::int32_t> stop{0};
    // 1 once the thread has ended by itself: the driver kept waking it with nothing to read
    // (capture thread), or the stall check gave up on it (user-interface thread).
    std::atomic<std::int32_t> ended{0};
    // Advanced when the kind of holding changes (capture, setup, nothing); the thread clears its
    // modifier flags when it sees a new value (user-interface thread writes, capture thread reads).
    std::atomic<std::uint32_t> filterGeneration{0};
    // Advanced for a device number whose device went or changed, or whose filter changes;
    // presenceGeneration is advanced after any of them, so the thread looks at the numbers only then
    // and forgets the modifiers held on such a device (user-interface thread writes, capture thread
    // reads).
    std::array<std::atomic<std::uint32_t>, kDeviceCount> presence{};
    std::atomic<std::uint32_t> presenceGeneration{0};
    // Advanced for a device number whose device went or changed (not for a filter change), with
    // departureGeneration after any of them: the thread forgets which of its keys it took or gave
    // back (user-interface thread writes, capture thread reads).
    std::array<std::atomic<std::uint32_t>, kDeviceCount> departure{};
    std::atomic<std::uint32_t> departureGeneration{0};
    // 1: key presses of auxiliary keyboards name their key and their releases are posted too, for
    // release lines (user-interface thread writes, capture thread reads).
    std::atomic<std::int32_t> releases{0};
    // Passes completed, for the stall check on the user-interface thread (capture thread writes).
    std::atomic<std::uint32_t> passes{0};
    // The keys Windows had down when a filter was last set, narrowed as they are let go
    // (user-interface thread writes, capture thread reads).
    WindowsKeysHandoff windowsKeys;
};
