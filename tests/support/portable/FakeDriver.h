#pragma once
// A driver for tests: strokes queued by the test are handed over by wait/receive; re-injected
// strokes, filter calls (the predicate is asked for numbers 1-20, as the real library does) and
// destroyed contexts are recorded. Thread-safe.
#include "capture/DriverApi.h"
#include <chrono>
#include <string>
#include <thread>
#include <vector>

struct SentStroke {
    int device;
    Stroke stroke;
};

// One set_filter call: the numbers its predicate chose (bit d for device d) and the mask.
struct FilterCall {
    std::uint32_t devices;
    unsigned short filter;
    bool operator==(const FilterCall&) const = default;
};

namespace fake_driver {

void Reset(bool present = true); // present == false: create_context gives no context
const DriverApi& Api();
void SetHardwareId(int device, const std::u16string& id);
void Inject(int device, const Stroke& stroke, int count = 1); // count: what receive reports
// As the real library fails: from now on the wait answers `device` at once and every receive reads 0.
void FailReceives(int device);
// A failed wait of the real library: from now on it returns 0 at once.
void FailWaits();
std::vector<SentStroke> Sent();
std::vector<FilterCall> FilterCalls();
unsigned short FilterOf(int device); // the mask the device has now
int Destroyed();

} // namespace fake_driver

Stroke KeyStroke(std::uint16_t scan, std::uint16_t state);
Stroke MouseStroke(std::uint16_t buttons, std::int16_t wheel = 0);

// Polls until done() or two seconds pass.
template <typename F>
bool WaitUntil(F done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}
