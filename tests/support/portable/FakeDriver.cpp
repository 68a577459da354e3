#include "FakeDriver.h"
#include <algorithm>
#include <array>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

struct Queued {
    int device;
    Stroke stroke;
    int count;
};

std::mutex gMutex;
std::condition_variable gQueued;
bool gPresent = true;
int gFailing = 0; // the device the wait answers while receives fail; -1: the wait fails at once
std::array<std::u16string, 21> gIds;
std::deque<Queued> gQueue;
std::vector<SentStroke> gSent;
std::vector<FilterCall> gFilterCalls;
std::array<unsigned short, 21> gFilters{};
int gDestroyed = 0, gContext = 0;

using Lock = std::lock_guard<std::mutex>;

int IsKeyboard(int d) {
    return d >= 1 && d <= 10;
}
int IsMouse(int d) {
    return d >= 11 && d <= 20;
}
DriverContext Create() {
    return gPresent ? &gContext : nullptr;
}
void Destroy(DriverContext) {
    Lock l(gMutex);
    ++gDestroyed;
}
void SetFilter(DriverContext, DriverPredicate predicate, unsigned short filter) {
    // The predicate is ours to call, outside the lock, as the library calls it on the caller's thread.
    std::uint32_t chosen = 0;
    for (int d = 1; d <= 20; ++d)
        if (predicate(d))
            chosen |= std::uint32_t{1} << d;
    Lock l(gMutex);
    gFilterCalls.push_back({chosen, filter});
    for (int d = 1; d <= 20; ++d)
        if (chosen & (std::uint32_t{1} << d))
            gFilters[d] = filter;
}

int Wait(DriverContext, unsigned long ms) {
    std::unique_lock lock(gMutex);
    gQueued.wait_for(lock, std::chrono::milliseconds(ms), [] { return !gQueue.empty() || gFailing != 0; });
    if (gFailing != 0)
        return gFailing < 0 ? 0 : gFailing;
    return gQueue.empty() ? 0 : gQueue.front().device;
}

int Receive(DriverContext, int device, Stroke* strokes, unsigned) {
    Lock l(gMutex);
    if (gFailing != 0)
        return 0;
    if (gQueue.empty() || gQueue.front().device != device) {
        return 0;
    }
    const Queued q = gQueue.front();
    gQueue.pop_front();
    if (q.count > 0) {
        *strokes = q.stroke;
    }
    return q.count;
}

int Send(DriverContext, int device, const Stroke* strokes, unsigned) {
    Lock l(gMutex);
    gSent.push_back({device, *strokes});
    return 1;
}

// Writes the id as UTF-16 with its terminator, cut to the buffer.
unsigned HardwareId(DriverContext, int device, void* buffer, unsigned size) {
    Lock l(gMutex);
    const std::u16string& id = gIds.at(device);
    const unsigned bytes = id.empty() ? 0 : std::min<unsigned>(size, (id.size() + 1) * 2);
    for (unsigned i = 0; i < bytes; ++i) {
        const char16_t unit = i / 2 < id.size() ? id[i / 2] : 0;
        static_cast<unsigned char*>(buffer)[i] = static_cast<unsigned char>(i % 2 ? unit >> 8 : unit & 0xFF);
    }
    return bytes;
}

const DriverApi kApi{Create, Destroy, SetFilter, Wait, Receive, Send, IsKeyboard, IsMouse, HardwareId};

} // namespace

namespace fake_driver {

void Reset(bool present) {
    Lock l(gMutex);
    gPresent = present;
    gFailing = 0;
    gIds = {};
    gQueue.clear();
    gSent.clear();
    gFilterCalls.clear();
    gFilters = {};
    gDestroyed = 0;
}

const DriverApi& Api() {
    return kApi;
}
void SetHardwareId(int device, const std::u16string& id) {
    Lock l(gMutex);
    gIds.at(device) = id;
}
std::vector<SentStroke> Sent() {
    Lock l(gMutex);
    return gSent;
}
std::vector<FilterCall> FilterCalls() {
    Lock l(gMutex);
    return gFilterCalls;
}
unsigned short FilterOf(int device) {
    Lock l(gMutex);
    return gFilters.at(device);
}
int Destroyed() {
    Lock l(gMutex);
    return gDestroyed;
}

void Inject(int device, const Stroke& stroke, int count) {
    {
        Lock l(gMutex);
        gQueue.push_back({device, stroke, count});
    }
    gQueued.notify_all();
}

void FailWaits() {
    FailReceives(-1);
}

void FailReceives(int device) {
    {
        Lock l(gMutex);
        gFailing = device;
    }
    gQueued.notify_all();
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
