#pragma once
// A driver for tests: strokes are queued by the test and handed over by wait/receive; re-injected
// strokes, filter changes and context calls are recorded. Safe to use from the capture thread and
// the test thread at once.
#include "capture/DriverApi.h"
#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SentStroke {
    int device;
    Stroke stroke;
};

struct FilterCall {
    char deviceClass; // 'K' keyboards, 'M' mice
    unsigned short filter;
};

namespace fake_driver {

// Clears every queue and record; with present == false, create_context gives no context.
void Reset(bool present = true);
const DriverApi& Api();

void SetHardwareId(int device, const std::u16string& id);
// Queues a stroke; count is what receive reports for it (0: the driver read nothing).
void Inject(int device, const Stroke& stroke, int count = 1);
// The next receive reports failure.
void FailNextReceive();
bool Drained(); // every queued stroke has been received

std::vector<SentStroke> Sent();
std::vector<FilterCall> Filters();
int Destroyed();

} // namespace fake_driver

Stroke KeyStroke(std::uint16_t scan, std::uint16_t state);
Stroke MouseStroke(std::uint16_t buttons, std::int16_t wheel = 0);

// Polls until done() or two seconds pass.
template <typename F>
bool WaitUntil(F done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
