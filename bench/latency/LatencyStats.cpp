#include "LatencyStats.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

double Rank(const std::vector<double>& sorted, double p) {
    const auto rank = static_cast<size_t>(std::ceil(p * static_cast<double>(sorted.size())));
    return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

} // namespace

LatencySummary Summarise(std::vector<double> microseconds) {
    LatencySummary s;
    if (microseconds.empty())
        return s;
    std::sort(microseconds.begin(), microseconds.end());
    s.count = microseconds.size();
    s.min = microseconds.front();
    s.max = microseconds.back();
    s.median = Rank(microseconds, 0.5);
    s.p99 = Rank(microseconds, 0.99);
    s.mean = std::accumulate(microseconds.begin(), microseconds.end(), 0.0) / static_cast<double>(s.count);
    return s;
}
