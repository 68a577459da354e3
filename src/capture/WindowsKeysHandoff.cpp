#include "capture/WindowsKeysHandoff.h"

// The slot written is the one published two publications ago. Its words are stored with release and
// loaded with acquire: a reader that loads any word of a newer publication sees the publication
// before it too, and copies again.
void WindowsKeysHandoff::Publish(const WindowsKeys& keys, bool fresh) {
    const std::uint32_t next = published_.load(std::memory_order_relaxed) + 1;
    if (fresh)
        ++freshSerial_;
    Slot& slot = slots_[next & 1];
    for (int w = 0; w < WindowsKeys::kWords; ++w)
        slot.keys[w].store(keys.keys[w], std::memory_order_release);
    slot.buttons.store(keys.buttons, std::memory_order_release);
    slot.freshSerial.store(freshSerial_, std::memory_order_release);
    published_.store(next, std::memory_order_release);
}

bool WindowsKeysHandoff::Take(WindowsKeys& keys, bool& fresh) {
    std::uint32_t n = published_.load(std::memory_order_acquire);
    if (n == taken_)
        return false;
    std::uint32_t serial = 0;
    for (;;) {
        const Slot& slot = slots_[n & 1];
        for (int w = 0; w < WindowsKeys::kWords; ++w)
            keys.keys[w] = slot.keys[w].load(std::memory_order_acquire);
        keys.buttons = slot.buttons.load(std::memory_order_acquire);
        serial = slot.freshSerial.load(std::memory_order_acquire);
        // Only a publication that completed meanwhile makes this copy again.
        const std::uint32_t again = published_.load(std::memory_order_acquire);
        if (again == n)
            break;
        n = again;
    }
    taken_ = n;
    fresh = serial != takenFresh_;
    takenFresh_ = serial;
    return true;
}
