#pragma once
// The simulated filter driver: per-device filters, the strokes it holds back in arrival order,
// and the record of what it let through, re-injected or changed. Strokes come in through
// Execute() from the injection socket; the capture side uses the driver operations.
#include "SimCommand.h"
#include "SimDevices.h"
#include "SimRecord.h"
#include "SimSignal.h"
#include "SimTiming.h"
#include "capture/DriverApi.h"

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

class SimDriver {
public:
    // devicesChanged tells the system that a device came or went (not for a quiet plug or
    // unplug); it is called on the listener thread, with no lock of the driver held.
    SimDriver(const SimDevices& devices, SimRecord& record, std::function<void()> devicesChanged = {});

    void SetFilter(DriverPredicate predicate, unsigned short filter);
    int Wait(unsigned long milliseconds); // 0xFFFFFFFF waits without limit
    int Receive(int device, Stroke* strokes, unsigned int count);
    int Send(int device, const Stroke* strokes, unsigned int count);
    unsigned int HardwareId(int device, void* buffer, unsigned int size);

    // True once after a "crash" command: the caller of receive then faults, holding no lock.
    bool TakeCrash();

    // One protocol command; returns the answer to send back, if it asks for one.
    std::optional<std::string> Execute(const SimCommand& command);

private:
    struct Held {
        int device;
        Stroke stroke;
        std::int64_t tick; // when it was injected
        std::uint64_t sequence;
    };
    void Inject(int device, const Stroke& stroke);
    // A device arrives (PLUG) or goes (UNPLUG); refused at a number taken or free.
    void PlugOrUnplug(const SimCommand& command);
    std::string Fail(int device); // empty, or the reason it is refused
    std::string FilterList();

    SimRecord& record_;
    std::function<void()> devicesChanged_;
    std::mutex mutex_;
    std::string ids_[21]; // by device number; empty: no device
    SimSignal arrived_;
    unsigned short filters_[21] = {};
    std::deque<Held> held_;
    // Per device, the stroke last received and not yet re-injected (sequence 0: none).
    Held received_[21] = {};
    SimTiming timing_;
    int failing_ = 0;           // the device every wait answers once "fail" came; 0: none
    bool failRecorded_ = false; // "receive failed" is recorded once
    bool crashNext_ = false;
    unsigned long stallNext_ = 0; // ms the next wait blocks
};
