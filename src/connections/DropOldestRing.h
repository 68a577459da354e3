#pragma once
// A bounded queue from one producer thread to one consumer thread that never makes the producer
// wait or fail: when it is full, the newest item takes the place of the oldest, and the consumer
// learns how many it lost. No lock and no read-modify-write: every slot is a sequence lock whose
// words are atomics, so a read that a write overtook is noticed and retried, never torn.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <type_traits>

template <typename T, std::size_t Capacity>
class DropOldestRing {
    static_assert(std::is_trivially_copyable_v<T> && std::is_default_constructible_v<T>);
    static_assert(Capacity > 0);
    static constexpr std::size_t kWords = (sizeof(T) + 7) / 8;

public:
    // Producer only.
    void Push(const T& item) {
        const std::uint64_t position = head_.load(std::memory_order_relaxed);
        Slot& slot = slots_[position % Capacity];
        slot.sequence.store(2 * position + 1, std::memory_order_relaxed); // odd: being written
        std::uint64_t words[kWords] = {};
        std::memcpy(words, &item, sizeof(T));
        // Release stores: a reader that sees any new word also sees the odd sequence before it.
        for (std::size_t i = 0; i < kWords; ++i)
            slot.words[i].store(words[i], std::memory_order_release);
        slot.sequence.store(2 * position + 2, std::memory_order_release);
        head_.store(position + 1, std::memory_order_release);
    }

    // Consumer only: the oldest item still held, or nothing (empty, or its slot is being written
    // over right now: the producer's next wake-up brings the consumer back). `lost` grows by the
    // items that were written over before they could be taken.
    std::optional<T> Pop(std::uint64_t& lost) {
        for (;;) {
            const std::uint64_t head = head_.load(std::memory_order_acquire);
            if (tail_ == head)
                return std::nullopt;
            if (head - tail_ > Capacity) {
                lost += head - tail_ - Capacity;
                tail_ = head - Capacity;
            }
            Slot& slot = slots_[tail_ % Capacity];
            const std::uint64_t before = slot.sequence.load(std::memory_order_acquire);
            if (before != 2 * tail_ + 2) {
                // Written over: skipped once the head says so; until then, as while it is being written.
                if (before % 2 == 0 && head_.load(std::memory_order_acquire) - tail_ > Capacity)
                    continue;
                return std::nullopt;
            }
            std::uint64_t words[kWords];
            // Acquire loads, so the sequence read after them is at least the one of any word seen.
            for (std::size_t i = 0; i < kWords; ++i)
                words[i] = slot.words[i].load(std::memory_order_acquire);
            if (slot.sequence.load(std::memory_order_relaxed) != before)
                continue;
            ++tail_;
            T item;
            std::memcpy(&item, words, sizeof(T));
            return item;
        }
    }

private:
    struct Slot {
        std::atomic<std::uint64_t> sequence{0};
        std::array<std::atomic<std::uint64_t>, kWords> words{};
    };
    std::array<Slot, Capacity> slots_{};
    std::atomic<std::uint64_t> head_{0}; // written by the producer only
    std::uint64_t tail_ = 0;             // the consumer's own
};
