#include "capture/CaptureController.h"
#include "capture/CrashFilterReset.h"

CaptureController::CaptureController(const DriverApi& driver, DeviceTable& table, AuxInputSink& sink,
                                     ThreadStarter& threads, CaptureServices services)
    : driver_(driver), table_(table), threads_(threads), services_(services),
      loop_(driver, shared_, table, sink, services.mapKey, services.ticks, services.pause) {
    applied_.fill(kUnknownFilter);
}

CaptureController::~CaptureController() {
    StopCapture();
}

void CaptureController::ThreadBody(void* self) {
    static_cast<CaptureController*>(self)->loop_.Run();
}

void CaptureController::ClearFiltersBody(void* self) {
    auto* controller = static_cast<CaptureController*>(self);
    const DriverContext context = controller->shared_.context.load(std::memory_order_acquire);
    ClearBothFilters(controller->driver_, context);
}

void CaptureController::ClearFiltersAside() {
    SetHeld(false);
    applied_.fill(0);
    if (clearer_ != 0) {
        return;
    }
    clearer_ = threads_.Start(&CaptureController::ClearFiltersBody, this);
    if (clearer_ == 0) {
        // Better a blocked window than a user without keyboard and mouse.
        ClearFiltersBody(this);
    }
}

void CaptureController::StartCapture(std::uintptr_t mainWindow, Settings& settings) {
    if (HasContext()) {
        return;
    }
    const DriverContext context = driver_.create_context();
    if (context == nullptr) {
        return;
    }
    shared_.context.store(context, std::memory_order_release);
    mainWindow_ = mainWindow;
    shared_.target.store(mainWindow, std::memory_order_release);
    ArmCrashFilterReset(driver_, shared_.context);
    startPlacement_ = LoadDevices(table_, driver_, context, settings, services_.narrow);
    filterState_ = FilterState::None;
    applied_.fill(kUnknownFilter);
    // Cleared here, not by the thread: a stop asked before the thread first runs must not be lost.
    shared_.stop.store(0, std::memory_order_release);
    shared_.ended.store(0, std::memory_order_release);
    thread_.store(threads_.Start(&CaptureController::ThreadBody, this), std::memory_order_release);
}

void CaptureController::StopCapture() {
    const DriverContext context = shared_.context.load(std::memory_order_acquire);
    const std::uintptr_t thread = thread_.load(std::memory_order_acquire);
    const std::uint32_t start = services_.ticks();
    bool inUse = false;
    if (thread != 0) {
        // Nothing more is held; what the driver holds already, the thread takes before it ends.
        if (!stalled_)
            ChangeFilterState(FilterState::None);
        shared_.stop.store(1, std::memory_order_release);
        inUse = !threads_.Join(thread, kExitWaitMs);
        thread_.store(0, std::memory_order_release);
        if (inUse && !stalled_) {
            ClearFiltersAside();
        }
    }
    if (clearer_ != 0) {
        // What is left of the one bound for both.
        const std::uint32_t spent = services_.ticks() - start;
        constexpr unsigned long kClearWaitMs = 500; // clearing the filters is worth a little more
        const unsigned long left = spent + kClearWaitMs < kExitWaitMs ? kExitWaitMs - spent : kClearWaitMs;
        inUse = !threads_.Join(clearer_, left) || inUse;
        clearer_ = 0;
    }
    SetHeld(false);
    filterState_ = FilterState::None;
    // The crash path stops looking at the context before it goes.
    DisarmCrashFilterReset();
    // A thread still inside the driver keeps its context: the process ends under it.
    if (inUse) {
        return;
    }
    shared_.context.store(nullptr, std::memory_order_release);
    // Also without a thread (it could not be made): no one else uses the context then.
    if (context != nullptr) {
        driver_.destroy_context(context);
    }
}

void CaptureController::SetHeld(bool held) {
    if (held == filtersSet_)
        return;
    filtersSet_ = held;
    if (held)
        watch_.Restart(shared_.passes.load(std::memory_order_relaxed), services_.ticks());
    if (heldChanged_)
        heldChanged_(held);
}

CaptureCheck CaptureController::CheckProgress(std::uint32_t now) {
    if (!filtersSet_) {
        return CaptureCheck::Running;
    }
    if (CaptureStopped()) {
        // The thread cleared both filters as it ended.
        filterState_ = FilterState::None;
        applied_.fill(0);
        SetHeld(false);
        return CaptureCheck::Ended;
    }
    if (!watch_.Check(shared_.passes.load(std::memory_order_relaxed), now)) {
        return CaptureCheck::Running;
    }
    stalled_ = true;
    shared_.stop.store(1, std::memory_order_release);
    // The state of a thread that ended by itself: no filter is set from now on.
    shared_.ended.store(1, std::memory_order_seq_cst);
    filterState_ = FilterState::None;
    ClearFiltersAside();
    return CaptureCheck::Stalled;
}

bool CaptureController::ThreadRunning() const {
    return thread_.load(std::memory_order_acquire) != 0 && shared_.ended.load(std::memory_order_seq_cst) == 0;
}

bool CaptureController::Holds(int device) const {
    return filterState_ == FilterState::Capture && !stalled_ && ThreadRunning() && device > 0 &&
           device < kDeviceCount && applied_[static_cast<std::size_t>(device)] > 0;
}

bool CaptureController::CaptureStopped() const {
    return stalled_ || (thread_.load(std::memory_order_acquire) != 0 &&
                        shared_.ended.load(std::memory_order_seq_cst) != 0);
}

unsigned short CaptureController::WantedFilter(int device) const {
    const bool mouse = IsMouseNumber(device);
    const unsigned short mask = mouse ? kMouseFilterCaptured : kKeyboardFilterAll;
    switch (filterState_) {
    case FilterState::Setup:
        return setupClass_ == (mouse ? DEVICE_CLASS_MICE : DEVICE_CLASS_KEYBOARDS) ? mask : 0;
    case FilterState::Capture:
        return useAux_[mouse ? 1 : 0] && table_[device].index.load(std::memory_order_relaxed) >= 0 ? mask : 0;
    case FilterState::None:
        break;
    }
    return 0;
}

void CaptureController::ApplyFilters() {
    if (!HasContext() || !ThreadRunning()) {
        return;
    }
    const DriverContext context = Context();
    // One call per mask, covering the numbers that must change to it.
    DeviceMask toZero = 0, toKeyboards = 0, toMice = 0, changed = 0;
    bool anySet = false;
    for (int d = kFirstKeyboard; d <= kLastMouse; ++d) {
        const unsigned short wanted = WantedFilter(d);
        anySet = anySet || wanted != 0;
        if (applied_[d] == wanted)
            continue;
        // Where nothing is to be held, a number never set is left alone: its device holds nothing.
        if (filterState_ == FilterState::None && applied_[d] == kUnknownFilter)
            continue;
        (wanted == 0 ? toZero : IsMouseNumber(d) ? toMice : toKeyboards) |= DeviceBit(d);
        changed |= DeviceBit(d);
        applied_[d] = wanted;
    }
    // A number whose filter changes forgets what the thread saw held on it, before the strokes of
    // the new filter arrive; the others keep their modifiers.
    ForgetHeldOn(changed, false);
    // Keys pressed while their device was not held stay Windows' until released.
    if ((toKeyboards | toMice) != 0)
        HandOverWindowsKeys(true);
    // Releases first, so a class switch never holds both at once.
    SetFilterOn(driver_, context, toZero, 0);
    SetFilterOn(driver_, context, toKeyboards, kKeyboardFilterAll);
    SetFilterOn(driver_, context, toMice, kMouseFilterCaptured);
    // The thread may have ended between the check and the calls; then nobody re-injects. Something
    // held until now still counts as held, so the stall check sees the end and reports it.
    if (shared_.ended.load(std::memory_order_seq_cst) != 0) {
        ClearBothFilters(driver_, context);
        applied_.fill(0);
        anySet = anySet || filtersSet_;
    }
    SetHeld(anySet);
}

void CaptureController::ForgetHeldOn(DeviceMask devices, bool departed) {
    if (devices == 0)
        return;
    for (int d = kFirstKeyboard; d <= kLastMouse; ++d) {
        if ((devices & DeviceBit(d)) == 0)
            continue;
        shared_.presence[d].store(shared_.presence[d].load(std::memory_order_relaxed) + 1,
                                  std::memory_order_relaxed);
        if (departed)
            shared_.departure[d].store(shared_.departure[d].load(std::memory_order_relaxed) + 1,
                                       std::memory_order_relaxed);
    }
    shared_.presenceGeneration.store(shared_.presenceGeneration.load(std::memory_order_relaxed) + 1,
                                     std::memory_order_release);
    if (departed)
        shared_.departureGeneration.store(shared_.departureGeneration.load(std::memory_order_relaxed) + 1,
                                          std::memory_order_release);
}

void CaptureController::HandOverWindowsKeys(bool fresh) {
    if (services_.windowsKeys == nullptr)
        return;
    WindowsKeys now;
    services_.windowsKeys(now);
    if (!fresh) {
        const WindowsKeys before = windowsKeys_;
        windowsKeys_.Keep(now);
        if (windowsKeys_ == before)
            return;
    } else {
        windowsKeys_ = now;
    }
    shared_.windowsKeys.Publish(windowsKeys_, fresh);
}

void CaptureController::FollowWindowsKeys() {
    if (!windowsKeys_.Empty() && ThreadRunning())
        HandOverWindowsKeys(false);
}

void CaptureController::ChangeFilterState(FilterState state) {
    if (!HasContext() || !ThreadRunning()) {
        return;
    }
    // Another kind of holding: what was held before belongs to the old one. Set before the filters
    // change, so every stroke the new filters hold back meets cleared flags. Capture set again
    // (Apply, OK) leaves it to ApplyFilters, per number.
    if (state != filterState_)
        shared_.filterGeneration.store(shared_.filterGeneration.load(std::memory_order_relaxed) + 1,
                                       std::memory_order_release);
    filterState_ = state;
    ApplyFilters();
    watch_.Restart(shared_.passes.load(std::memory_order_relaxed), services_.ticks());
}

void CaptureController::SetCaptureFilters(bool useAuxKeyboards, bool useAuxMice) {
    useAux_[0] = useAuxKeyboards;
    useAux_[1] = useAuxMice;
    ChangeFilterState(FilterState::Capture);
}

void CaptureController::FollowCaptureClasses(bool useAuxKeyboards, bool useAuxMice) {
    if (filterState_ != FilterState::Capture)
        return;
    useAux_[0] = useAuxKeyboards;
    useAux_[1] = useAuxMice;
    ApplyFilters();
}

void CaptureController::EnterSetupMode(DeviceClass deviceClass, std::uintptr_t setupTarget) {
    if (deviceClass == DEVICE_CLASS_KEYBOARDS || deviceClass == DEVICE_CLASS_MICE) {
        setupClass_ = deviceClass;
        ChangeFilterState(FilterState::Setup);
    }
    // Target first, then the flag: a setup-mode event never goes to the main window.
    shared_.target.store(setupTarget, std::memory_order_release);
    shared_.setupMode.store(1, std::memory_order_release);
}

void CaptureController::LeaveSetupMode() {
    shared_.setupMode.store(0, std::memory_order_release);
    shared_.target.store(mainWindow_, std::memory_order_release);
    ChangeFilterState(FilterState::None);
}

DeviceChanges CaptureController::RereadDevices() {
    const DriverContext context = Context();
    if (context == nullptr)
        return {};
    DeviceChanges changes = ::RereadDevices(table_, driver_, context, services_.narrow);
    if (changes.changed.empty() && changes.placement.followed.empty())
        return changes;
    DeviceMask gone = 0;
    for (int d : changes.changed) {
        gone |= DeviceBit(d);
        applied_[d] = kUnknownFilter;
    }
    ForgetHeldOn(gone, true);
    ApplyFilters();
    return changes;
}
