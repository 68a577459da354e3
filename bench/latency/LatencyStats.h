// Summary of measured latencies: the figures the probe prints.
#pragma once

#include <cstddef>
#include <vector>

struct LatencySummary {
    size_t count = 0;
    double min = 0, median = 0, p99 = 0, max = 0, mean = 0; // microseconds
};

// Nearest-rank percentiles (the value at rank ceil(p * n) of the sorted samples), so every
// figure is one that was measured. An empty input gives all zeros.
LatencySummary Summarise(std::vector<double> microseconds);
