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

SimDriver::SimDriver(const SimDevices& devices, SimRecord& record, std::function<void()> devicesChanged)
    : record_(record), devicesChanged_(std::move(devicesChanged)) {
    for (int d = 0; d <= kLastMouse; ++d)
        ids_[d] = devices.ids[d];
}

void SimDriver::SetFilter(DriverPredicate predicate, unsigned short filter) {
    bool chosen[21] = {};
    if (predicate) {
        for (int d = kFirstKeyboard; d <= kLastMouse; ++d)
            chosen[d] = predicate(d) != 0;
    }
    bool changed = false;
    {
        std::lock_guard lock(mutex_);
        for (int d = kFirstKeyboard; d <= kLastMouse; ++d) {
            if (chosen[d]) {
                changed = changed || filters_[d] != filter;
                filters_[d] = filter;
            }
        }
    }
    // "unchanged" tells a call that found every chosen device at that mask, so a test can tell a
    // device that is not held from one whose filter was never set.
    record_.Add("filter " + FilterTarget(chosen) + " " + std::to_string(filter) +
                (changed ? "" : " unchanged"));
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
            if (failing_ != 0)
                return failing_;
            return held_.empty() ? 0 : held_.front().device;
        }
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (failing_ != 0)
                return failing_; // a failed device keeps answering, as its event stays set
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
    bool failed = false;
    {
        std::lock_guard lock(mutex_);
        if (failing_ != 0) {
            // The real library returns the count read, 0 on any failure, never a negative one.
            failed = !std::exchange(failRecorded_, true);
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
    if (failed)
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

unsigned int SimDriver::HardwareId(int device, void* buffer, unsigned int size) {
    if (!IsDevice(device) || !buffer)
        return 0;
    std::string id;
    {
        std::lock_guard lock(mutex_);
        id = ids_[device];
    }
    if (id.empty())
        return 0;
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
    bool present = false, held = false;
    {
        std::lock_guard lock(mutex_);
        present = !ids_[device].empty();
        if (present && FilterHolds(filters_[device], FilterKindsOf(device, stroke))) {
            held_.push_back({device, stroke, SimClockTicks(), 0});
            held_.back().sequence = timing_.Held(held_.size());
            held = true;
        }
    }
    if (!present)
        record_.Add("error no device " + StrokeText(device, stroke));
    else if (held)
        arrived_.Set();
    else
        record_.Add("system " + StrokeText(device, stroke));
}

void SimDriver::PlugOrUnplug(const SimCommand& command) {
    const bool plug = command.kind == SimCommand::PLUG;
    const int d = command.device;
    const std::string text = std::string(command.quiet ? "quiet " : "") + (plug ? "plug " : "unplug ") +
                             std::to_string(d) + (plug ? " " + command.id : "");
    bool refused = false;
    {
        std::lock_guard lock(mutex_);
        // A device arrives only at a free number and goes only from a taken one.
        refused = ids_[d].empty() != plug;
        if (!refused) {
            ids_[d] = plug ? command.id : std::string();
            filters_[d] = 0; // a device arrives unfiltered, whatever its number had before
            if (!plug) {
                // What it still held is gone with it, and so is its stroke awaiting re-injection.
                std::erase_if(held_, [d](const Held& h) { return h.device == d; });
                received_[d] = {};
            }
        }
    }
    if (refused) {
        record_.Add((plug ? "error device present: " : "error no device: ") + text);
        return;
    }
    record_.Add(text);
    if (!command.quiet && devicesChanged_)
        devicesChanged_();
}

std::string SimDriver::Fail(int device) {
    {
        std::lock_guard lock(mutex_);
        for (int d = kFirstKeyboard; device == 0 && d <= kLastMouse; ++d)
            device = ids_[d].empty() ? 0 : d; // the lowest device present
        if (device == 0)
            return "fail: no device to answer";
        failing_ = device;
    }
    arrived_.Set(); // a wait already under way answers too
    return {};
}

std::string SimDriver::FilterList() {
    std::lock_guard lock(mutex_);
    std::string line = "filters";
    for (int d = kFirstKeyboard; d <= kLastMouse; ++d)
        line.append(" ").append(std::to_string(filters_[d]));
    return line + "\n";
}

std::optional<std::string> SimDriver::Execute(const SimCommand& command) {
    switch (command.kind) {
    case SimCommand::STROKE:
        Inject(command.device, command.stroke);
        break;
    case SimCommand::FAIL:
        if (const std::string refused = Fail(command.device); !refused.empty())
            record_.Add("error " + refused);
        break;
    case SimCommand::PLUG:
    case SimCommand::UNPLUG:
        PlugOrUnplug(command);
        break;
    case SimCommand::FILTERS_QUERY:
        return FilterList();
    case SimCommand::HELD_QUERY: {
        std::lock_guard lock(mutex_);
        return "held " + std::to_string(held_.size()) + "\n";
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
