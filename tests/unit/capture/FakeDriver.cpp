#include "FakeDriver.h"
#include <cstring>

namespace {

struct Queued {
    int device;
    Stroke stroke;
    int count;
};

struct State {
    std::mutex mutex;
    std::condition_variable queued;
    bool present = true;
    std::array<std::u16string, 21> ids;
    std::deque<Queued> queue;
    bool failNext = false;
    std::vector<SentStroke> sent;
    std::vector<FilterCall> filters;
    int destroyed = 0;
    int context = 0;
};

State& S() {
    static State state;
    return state;
}

int IsKeyboard(int d) {
    return d >= 1 && d <= 10;
}
int IsMouse(int d) {
    return d >= 11 && d <= 20;
}

DriverContext Create() {
    return S().present ? &S().context : nullptr;
}

void Destroy(DriverContext) {
    std::lock_guard lock(S().mutex);
    ++S().destroyed;
}

void SetFilter(DriverContext, DriverPredicate predicate, unsigned short filter) {
    std::lock_guard lock(S().mutex);
    S().filters.push_back({predicate == &IsKeyboard ? 'K' : 'M', filter});
}

int Wait(DriverContext, unsigned long ms) {
    std::unique_lock lock(S().mutex);
    S().queued.wait_for(lock, std::chrono::milliseconds(ms),
                        [] { return !S().queue.empty() || S().failNext; });
    return S().queue.empty() ? 0 : S().queue.front().device;
}

int Receive(DriverContext, int device, Stroke* strokes, unsigned) {
    std::lock_guard lock(S().mutex);
    if (S().failNext) {
        S().failNext = false;
        return -1;
    }
    if (S().queue.empty() || S().queue.front().device != device) {
        return 0;
    }
    const Queued q = S().queue.front();
    S().queue.pop_front();
    if (q.count > 0) {
        *strokes = q.stroke;
    }
    return q.count;
}

int Send(DriverContext, int device, const Stroke* strokes, unsigned) {
    std::lock_guard lock(S().mutex);
    S().sent.push_back({device, *strokes});
    return 1;
}

unsigned HardwareId(DriverContext, int device, void* buffer, unsigned size) {
    std::lock_guard lock(S().mutex);
    const std::u16string& id = S().ids.at(device);
    if (id.empty()) {
        return 0;
    }
    const unsigned bytes = static_cast<unsigned>((id.size() + 1) * 2);
    auto* out = static_cast<unsigned char*>(buffer);
    for (unsigned i = 0; i < bytes && i < size; ++i) {
        const char16_t unit = i / 2 < id.size() ? id[i / 2] : 0;
        out[i] = static_cast<unsigned char>(i % 2 == 0 ? unit & 0xFF : unit >> 8);
    }
    return bytes < size ? bytes : size;
}

const DriverApi kApi{Create, Destroy, SetFilter, Wait, Receive, Send, IsKeyboard, IsMouse, HardwareId};

} // namespace

namespace fake_driver {

void Reset(bool present) {
    std::lock_guard lock(S().mutex);
    S().present = present;
    S().ids = {};
    S().queue.clear();
    S().failNext = false;
    S().sent.clear();
    S().filters.clear();
    S().destroyed = 0;
}

const DriverApi& Api() {
    return kApi;
}

void SetHardwareId(int device, const std::u16string& id) {
    std::lock_guard lock(S().mutex);
    S().ids.at(device) = id;
}

void Inject(int device, const Stroke& stroke, int count) {
    {
        std::lock_guard lock(S().mutex);
        S().queue.push_back({device, stroke, count});
    }
    S().queued.notify_all();
}

void FailNextReceive() {
    {
        std::lock_guard lock(S().mutex);
        S().failNext = true;
    }
    S().queued.notify_all();
}

bool Drained() {
    std::lock_guard lock(S().mutex);
    return S().queue.empty();
}

std::vector<SentStroke> Sent() {
    std::lock_guard lock(S().mutex);
    return S().sent;
}

std::vector<FilterCall> Filters() {
    std::lock_guard lock(S().mutex);
    return S().filters;
}

int Destroyed() {
    std::lock_guard lock(S().mutex);
    return S().destroyed;
}

} // namespace fake_driver

Stroke KeyStroke(std::uint16_t scan, std::uint16_t state) {
    Stroke s{};
    s.SetU16(0, scan);
    s.SetU16(2, state);
    return s;
}

Stroke MouseStroke(std::uint16_t buttons, std::int16_t wheel) {
    Stroke s{};
    s.SetU16(0, buttons);
    s.SetU16(4, static_cast<std::uint16_t>(wheel));
    return s;
}
