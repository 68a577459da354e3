// Cost per stroke of the capture loop: a main-device stroke (receive, decide, re-inject) and an
// auxiliary key press (receive, translate, post), with heap allocations counted per stroke.
#include "capture/AuxInputSink.h"
#include "capture/CaptureLoop.h"
#include "capture/ScanCodeMap.h"
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> gAllocations{0};

// The driver hands over one prepared stroke per pass and counts re-injections.
int gDevice = 0;
Stroke gStroke{};
long gSent = 0;

int IsKeyboard(int d) {
    return d >= 1 && d <= 10;
}
int IsMouse(int d) {
    return d >= 11 && d <= 20;
}
DriverContext Create() {
    return &gDevice;
}
void Destroy(DriverContext) {}
void SetFilter(DriverContext, DriverPredicate, unsigned short) {}
int Wait(DriverContext, unsigned long) {
    return gDevice;
}
int Receive(DriverContext, int, Stroke* strokes, unsigned) {
    *strokes = gStroke;
    return 1;
}
int Send(DriverContext, int, const Stroke*, unsigned) {
    ++gSent;
    return 1;
}
unsigned HardwareId(DriverContext, int, void*, unsigned) {
    return 0;
}
const DriverApi kDriver{Create, Destroy, SetFilter, Wait, Receive, Send, IsKeyboard, IsMouse, HardwareId};

class CountingSink : public AuxInputSink {
public:
    long posts = 0;
    std::uint32_t last = 0;
    void Post(std::uintptr_t, std::uint32_t wParam, std::int32_t) override {
        ++posts;
        last = wParam;
    }
};

std::uint32_t Ticks() {
    return 0;
}

void RunStrokes(benchmark::State& state, int device, Stroke stroke) {
    DeviceTable table;
    table[3].index = 5;
    table[12].index = 2;
    CaptureShared shared;
    shared.context = &gDevice;
    CountingSink sink;
    CaptureLoop loop(kDriver, shared, table, sink, UsScanCodeToVirtualKey, Ticks, nullptr);
    gDevice = device;
    gStroke = stroke;
    gSent = 0;
    const long before = gAllocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        benchmark::DoNotOptimize(loop.Pass());
    }
    const long allocations = gAllocations.load(std::memory_order_relaxed) - before;
    state.counters["allocs_per_stroke"] =
        benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(state.iterations()));
    state.counters["posted"] = benchmark::Counter(static_cast<double>(sink.posts));
    state.counters["reinjected"] = benchmark::Counter(static_cast<double>(gSent));
    state.SetItemsProcessed(state.iterations());
}

Stroke Key(std::uint16_t scan, std::uint16_t keyState) {
    Stroke s{};
    s.SetU16(0, scan);
    s.SetU16(2, keyState);
    return s;
}

Stroke Button(std::uint16_t buttons) {
    Stroke s{};
    s.SetU16(0, buttons);
    return s;
}

void BM_MainKeyboardStroke(benchmark::State& state) {
    RunStrokes(state, 1, Key(0x1E, 0));
}
void BM_AuxiliaryKeyPress(benchmark::State& state) {
    RunStrokes(state, 3, Key(0x47, 0));
}
void BM_AuxiliaryMouseButton(benchmark::State& state) {
    RunStrokes(state, 12, Button(1));
}

BENCHMARK(BM_MainKeyboardStroke);
BENCHMARK(BM_AuxiliaryKeyPress);
BENCHMARK(BM_AuxiliaryMouseButton);

} // namespace

// Every heap allocation of the program is counted.
void* operator new(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

BENCHMARK_MAIN();
