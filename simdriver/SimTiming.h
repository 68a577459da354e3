#pragma once
// How long re-injected strokes waited in the driver: each held stroke is stamped when it is
// injected, each re-injection when the program sends it back. Kept in memory (the record file is
// written under its own lock and the "log?" answer is bounded) and summarised on request. Also
// counts what a flood must show: strokes held and given back, re-injections out of order or of a
// stroke never received, and the most strokes waiting at once.
#include <cstdint>
#include <string>
#include <vector>

class SimTiming {
public:
    explicit SimTiming(std::size_t capacity = 1u << 17);

    // A stroke was held, `backlog` strokes now waiting; returns its sequence number.
    std::uint64_t Held(std::size_t backlog);
    // The stroke held as `sequence` at `heldTick` was re-injected at `sentTick`.
    void Sent(std::uint64_t sequence, std::int64_t heldTick, std::int64_t sentTick);
    // A re-injection that matches no stroke received since the last one of its device.
    void Unmatched() { ++unmatched_; }
    void Reset();

    // One line: held=N sent=N out_of_order=N unmatched=N backlog_max=N median_us=X p99_us=X max_us=X
    std::string Summary(std::int64_t ticksPerSecond) const;

private:
    std::size_t capacity_;
    std::vector<std::int64_t> delays_; // ticks, the first `capacity_` re-injections
    std::uint64_t held_ = 0, sent_ = 0, outOfOrder_ = 0, unmatched_ = 0;
    std::uint64_t sequence_ = 0, lastSequence_ = 0;
    std::size_t backlogMax_ = 0;
};
