// The KV_LATENCY_TRACE build's trace (see LatencyTrace.h), stamped with QueryPerformanceCounter.
#include "capture/LatencyTrace.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

namespace {

constexpr unsigned kSlots = 1u << 14;
const char* const kStepNames[kTraceSteps] = {
    "driver wait returned", "stroke received",  "translated",       "PostMessage returned",
    "message retrieved",    "line composed",    "line sent",        "last command shown",
    "foreground asked",     "title set, timer", "animation started"};

long long g_slots[kSlots][kTraceSteps];
long long g_capture[kTraceSteps]; // the capture thread's record of the stroke in hand
std::atomic<unsigned> g_posted{0};
unsigned g_handled = 0;         // user-interface thread only
long long* g_current = nullptr; // its record of the event in hand

long long Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

} // namespace

void TraceMark(TraceStep step) {
    const long long now = Now();
    if (step < kTracePosting) {
        g_capture[step] = now;
    } else if (step == kTracePosting) {
        // Handed on before the post: the other thread may take the message before it returns.
        const unsigned n = g_posted.load(std::memory_order_relaxed);
        g_capture[step] = now;
        std::copy(g_capture, g_capture + kTraceSteps, g_slots[n % kSlots]);
        std::fill(g_capture, g_capture + kTraceSteps, 0);
        g_posted.store(n + 1, std::memory_order_release);
    } else if (step == kTracePosted) {
        g_slots[(g_posted.load(std::memory_order_relaxed) - 1) % kSlots][step] = now;
    } else if (step == kTraceRetrieved) {
        g_current =
            g_handled < g_posted.load(std::memory_order_acquire) ? g_slots[g_handled++ % kSlots] : nullptr;
        if (g_current)
            g_current[step] = now;
    } else if (g_current) {
        g_current[step] = now;
    }
}

void TraceWrite(const char* path) {
    std::FILE* out = std::fopen(path, "w");
    if (!out)
        return;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const double us = 1e6 / static_cast<double>(frequency.QuadPart);
    const unsigned events = std::min(g_handled, kSlots);
    for (const bool titled : {true, false}) {
        std::fprintf(out, "%s: microseconds from the step taken before (median, 99th percentile)\n",
                     titled ? "title shown (window not in front)" : "title kept (window in front)");
        for (int step = kTraceReceived; step < kTraceSteps; ++step) {
            std::vector<double> d;
            for (unsigned e = 0; e < events; ++e) {
                const long long* slot = g_slots[e];
                if ((slot[kTraceTitled] != 0) != titled || slot[step] == 0)
                    continue;
                // Measured from the step taken just before it, whatever the order of the steps.
                long long before = 0;
                for (int other = 0; other < kTraceSteps; ++other)
                    if (other != step && slot[other] != 0 && slot[other] <= slot[step])
                        before = std::max(before, slot[other]);
                if (before != 0)
                    d.push_back(static_cast<double>(slot[step] - before) * us);
            }
            if (d.empty())
                continue;
            std::sort(d.begin(), d.end());
            std::fprintf(out, "  %-22s %6zu %8.1f %8.1f\n", kStepNames[step], d.size(), d[d.size() / 2],
                         d[std::min(d.size() - 1, d.size() * 99 / 100)]);
        }
    }
    // Then every event: each step's stamp, microseconds after the driver wait returned.
    std::fprintf(out, "events:");
    for (int step = 0; step < kTraceSteps; ++step)
        std::fprintf(out, " %d=%s", step, kStepNames[step]);
    std::fprintf(out, "\n");
    for (unsigned e = 0; e < events; ++e) {
        for (int step = 0; step < kTraceSteps; ++step)
            std::fprintf(out, " %.1f",
                         g_slots[e][step] ? static_cast<double>(g_slots[e][step] - g_slots[e][0]) * us
                                          : -1.0);
        std::fprintf(out, "\n");
    }
    std::fclose(out);
}
