#pragma once
// Hands the keys Windows has down from the user-interface thread to the capture thread without a
// lock and without making the capture thread wait: two slots of atomics; the writer fills the slot
// not published last and then publishes it, the reader copies the published slot and keeps the copy
// when nothing newer was published meanwhile (else it copies the newer one, which is complete).
#include "capture/WindowsKeys.h"
#include <atomic>
#include <cstdint>

class WindowsKeysHandoff {
public:
    // User-interface thread. fresh: read anew; otherwise the last fresh set narrowed to keys still down.
    void Publish(const WindowsKeys& keys, bool fresh);
    // Capture thread: true with the newest set when one was published since the last call.
    bool Take(WindowsKeys& keys, bool& fresh);

private:
    struct Slot {
        std::atomic<std::uint32_t> keys[WindowsKeys::kWords] = {};
        std::atomic<std::uint32_t> buttons{0};
        std::atomic<std::uint32_t> freshSerial{0}; // which fresh read the set comes from
    };
    Slot slots_[2];
    std::atomic<std::uint32_t> published_{0};
    // The writer's own.
    std::uint32_t freshSerial_ = 0;
    // The reader's own.
    std::uint32_t taken_ = 0;
    std::uint32_t takenFresh_ = 0;
};
