#pragma once
// A bounded queue from one producer thread to one consumer thread, without a lock: a push to a
// full queue fails and the producer keeps the item for later. Each side writes only its own index.
#include <array>
#include <atomic>
#include <cstddef>
#include <optional>
#include <utility>

template <typename T, std::size_t Capacity>
class SpscQueue {
public:
    // Producer only. False when full (item is left as it was).
    bool TryPush(T& item) {
        const std::size_t head = head_.load(std::memory_order_relaxed);
        if (head - tail_.load(std::memory_order_acquire) == Capacity)
            return false;
        slots_[head % Capacity] = std::move(item);
        head_.store(head + 1, std::memory_order_release);
        return true;
    }

    // Consumer only.
    std::optional<T> TryPop() {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        if (tail == head_.load(std::memory_order_acquire))
            return std::nullopt;
        std::optional<T> item(std::move(slots_[tail % Capacity]));
        slots_[tail % Capacity] = T();
        tail_.store(tail + 1, std::memory_order_release);
        return item;
    }

private:
    std::array<T, Capacity> slots_{};
    std::atomic<std::size_t> head_{0};
    std::atomic<std::size_t> tail_{0};
};
