#include "SimTiming.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

SimTiming::SimTiming(std::size_t capacity) : capacity_(capacity) {
    delays_.reserve(capacity_);
}

std::uint64_t SimTiming::Held(std::size_t backlog) {
    backlogMax_ = std::max(backlogMax_, backlog);
    ++held_;
    return ++sequence_;
}

void SimTiming::Sent(std::uint64_t sequence, std::int64_t heldTick, std::int64_t sentTick) {
    ++sent_;
    if (sequence <= lastSequence_)
        ++outOfOrder_;
    lastSequence_ = std::max(lastSequence_, sequence);
    if (delays_.size() < capacity_)
        delays_.push_back(sentTick - heldTick);
}

void SimTiming::Reset() {
    delays_.clear();
    held_ = sent_ = outOfOrder_ = unmatched_ = 0;
    backlogMax_ = 0;
    // Sequence numbers keep rising across resets: strokes held before may still come back.
}

std::string SimTiming::Summary(std::int64_t ticksPerSecond) const {
    std::vector<std::int64_t> sorted(delays_);
    std::sort(sorted.begin(), sorted.end());
    // Nearest rank, as the probes on the build machine compute it.
    const auto rank = [&sorted](double p) -> double {
        if (sorted.empty())
            return 0;
        const auto r = static_cast<std::size_t>(std::ceil(p * static_cast<double>(sorted.size())));
        return static_cast<double>(sorted[std::clamp<std::size_t>(r, 1, sorted.size()) - 1]);
    };
    const double us = ticksPerSecond > 0 ? 1e6 / static_cast<double>(ticksPerSecond) : 0;
    char line[256];
    std::snprintf(line, sizeof line,
                  "held=%llu sent=%llu out_of_order=%llu unmatched=%llu backlog_max=%zu median_us=%.1f "
                  "p99_us=%.1f max_us=%.1f\n",
                  static_cast<unsigned long long>(held_), static_cast<unsigned long long>(sent_),
                  static_cast<unsigned long long>(outOfOrder_), static_cast<unsigned long long>(unmatched_),
                  backlogMax_, rank(0.5) * us, rank(0.99) * us, rank(1.0) * us);
    return line;
}
