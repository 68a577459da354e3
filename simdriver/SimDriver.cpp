#include "SimDriver.h"

#include "SimClock.h"
#include "StrokeFilter.h"
#include "StrokeText.h"
#include "capture/DeviceClass.h"

#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

namespace {

constexpr unsigned long kWaitForever = 0xFFFFFFFFul;
constexpr size_t kMaxAnswer = 60000; // fits one datagram

bool IsDevice(int device) {
    return device >= kFirstKeyboard && device <= kLastMouse;
}

// "keyboards" or "mice" when the predicate chose exactly one class, else the device numbers.
std::string FilterTarget(const bool (&chosen)[21]) {
    int keyboards = 0, mice = 0;
    std::string numbers;
    for (int d = kFirstKeyboard; d <= kLastMouse; ++d) {
        if (!chosen[d])
            continue;
        ++(IsKeyboardNumber(d) ? keyboards : mice);
        numbers.append(" ").append(std::to_string(d));
    }
    const int perClass = kLastKeyboard - kFirstKeyboard + 1;
    if (keyboards == perClass && mice == 0)
        return "keyboards";
    if (mice == perClass && keyboards == 0)
        return "mice";
    return numbers.empty() ? std::string("no devices") : std::string("devices").append(numbers);
}

} // namespace

SimDriver::SimDriver(const SimDevices& devices, SimRecord& record) : record_(record) {
    for (int d = 0; d <= kLastMouse; ++d)
        ids_[d] = devices.ids[d];
}

void SimDriver::SetFilter(DriverPredicate predicate, unsigned short filter) {
    bool chosen[21] = {};
    if (predicate) {
        for (int d = kFirstKeyboard; d <= kLastMouse; ++d)
            chosen[d] = predicate(d) != 0;
    }
    {
        std::lock_guard lock(mutex_);
        for (int d = kFirstKeyboard; d <= kLastMouse; ++d) {
            if (chosen[d])
                filters_[d] = filter;
        }
    }
    record_.Add("filter " + FilterTarget(chosen) + " " + std::to_string(filter));
}

int SimDriver::Wait(unsigned long milliseconds) {
    {
        std::unique_lock lock(mutex_);
        if (const unsigned long stall = std::exchange(stallNext_, 0); stall != 0) {
            // Blocks without the lock, so filters can still be set meanwhile, as the watchdog does.
            lock.unlock();
            record_.Add("stall " + std::to_string(stall));
            std::this_thread::sleep_for(std::chrono::milliseconds(stall));
            lock.lock();
            return held_.empty() ? 0 : held_.front().device;
        }
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (!held_.empty())
                return held_.front().device;
        }
        unsigned long left = kWaitForever;
        if (milliseconds != kWaitForever) {
            const auto now = Clock::now();
            if (now >= deadline)
                return 0;
            // Rounded up, so a wait never ends early and spins.
            left = static_cast<unsigned long>(
                std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count());
        }
        arrived_.Wait(left);
    }
}

int SimDriver::Receive(int device, Stroke* strokes, unsigned int count) {
    int read = 0;
    {
        std::lock_guard lock(mutex_);
        if (failNext_) {
            failNext_ = false;
            read = -1;
        } else {
            for (auto it = held_.begin(); it != held_.end() && strokes && unsigned(read) < count;) {
                if (it->device == device) {
                    strokes[read++] = it->stroke;
                    received_[device] = *it;
                    it = held_.erase(it);
                } else {
                    ++it;
                }
            }
        }
    }
    if (read < 0)
        record_.Add("receive failed");
    return read;
}

int SimDriver::Send(int device, const Stroke* strokes, unsigned int count) {
    if (!IsDevice(device) || !strokes) {
        record_.Add("error send to device " + std::to_string(device));
        return 0;
    }
    const std::int64_t now = SimClockTicks();
    {
        std::lock_guard lock(mutex_);
        for (unsigned int i = 0; i < count; ++i) {
            Held& last = received_[device];
            if (last.sequence != 0 && std::memcmp(&last.stroke, &strokes[i], sizeof(Stroke)) == 0)
                timing_.Sent(last.sequence, last.tick, now);
            else
                timing_.Unmatched();
            last.sequence = 0;
        }
    }
    for (unsigned int i = 0; i < count; ++i)
        record_.Add("send " + StrokeText(device, strokes[i]));
    return static_cast<int>(count);
}

unsigned int SimDriver::HardwareId(int device, void* buffer, unsigned int size) const {
    if (!IsDevice(device) || !buffer || ids_[device].empty())
        return 0;
    const std::string& id = ids_[device];
    const size_t bytes = (id.size() + 1) * 2;
    if (bytes > size)
        return 0; // never hand back an id without its terminating zero
    auto* out = static_cast<unsigned char*>(buffer);
    for (size_t i = 0; i <= id.size(); ++i) {
        out[2 * i] = i < id.size() ? static_cast<unsigned char>(id[i]) : 0;
        out[2 * i + 1] = 0;
    }
    return static_cast<unsigned int>(bytes);
}

bool SimDriver::TakeCrash() {
    bool crash = false;
    {
        std::lock_guard lock(mutex_);
        crash = std::exchange(crashNext_, false);
    }
    if (crash)
        record_.Add("receive crash");
    return crash;
}

void SimDriver::Inject(int device, const Stroke& stroke) {
    if (ids_[device].empty()) {
        record_.Add("error no device " + StrokeText(device, stroke));
        return;
    }
    bool held = false;
    {
        std::lock_guard lock(mutex_);
        if (FilterHolds(filters_[device], FilterKindsOf(device, stroke))) {
            held_.push_back({device, stroke, SimClockTicks(), 0});
            held_.back().sequence = timing_.Held(held_.size());
            held = true;
        }
    }
    if (held)
        arrived_.Set();
    else
        record_.Add("system " + StrokeText(device, stroke));
}

std::optional<std::string> SimDriver::Execute(const SimCommand& command) {
    switch (command.kind) {
    case SimCommand::STROKE:
        Inject(command.device, command.stroke);
        break;
    case SimCommand::FAIL: {
        std::lock_guard lock(mutex_);
        failNext_ = true;
        break;
    }
    case SimCommand::STALL: {
        std::lock_guard lock(mutex_);
        stallNext_ = command.milliseconds;
        break;
    }
    case SimCommand::CRASH: {
        std::lock_guard lock(mutex_);
        crashNext_ = true;
        break;
    }
    case SimCommand::LOG_QUERY:
        return record_.Tail(kMaxAnswer);
    case SimCommand::RESET_LOG:
        record_.Reset();
        break;
    case SimCommand::TIMING_QUERY: {
        std::lock_guard lock(mutex_);
        return timing_.Summary(SimClockTicksPerSecond());
    }
    case SimCommand::RESET_TIMING: {
        std::lock_guard lock(mutex_);
        timing_.Reset();
        break;
    }
    case SimCommand::PING:
        return "pong\n";
    case SimCommand::INVALID:
        record_.Add("error " + command.error);
        break;
    case SimCommand::EMPTY:
        break;
    }
    return std::nullopt;
}
