#include "capture/CaptureController.h"
#include "capture/CrashFilterReset.h"
#include "capture/DeviceRegistry.h"

CaptureController::CaptureController(const DriverApi& driver, DeviceTable& table, AuxInputSink& sink,
                                     ThreadStarter& threads, CaptureServices services)
    : driver_(driver), table_(table), threads_(threads), services_(services),
      loop_(driver, shared_, table, sink, services.mapKey, services.ticks) {}

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
    filtersSet_ = false;
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
    moved_ = LoadDevices(table_, driver_, context, settings, services_.narrow);
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
    filtersSet_ = false;
    DisarmCrashFilterReset();
    // A thread still inside the driver keeps its context: the process ends under it.
    if (inUse) {
        return;
    }
    // Also without a thread (it could not be made): no one else uses the context then.
    if (context != nullptr) {
        driver_.destroy_context(context);
    }
    shared_.context.store(nullptr, std::memory_order_release);
}

bool CaptureController::CheckProgress(std::uint32_t now) {
    if (!filtersSet_ || !ThreadRunning()) {
        return false;
    }
    if (!watch_.Check(shared_.passes.load(std::memory_order_relaxed), now)) {
        return false;
    }
    stalled_ = true;
    shared_.stop.store(1, std::memory_order_release);
    // The state of a thread that ended by itself: SetFilters does nothing from now on.
    shared_.ended.store(1, std::memory_order_seq_cst);
    ClearFiltersAside();
    return true;
}

bool CaptureController::ThreadRunning() const {
    return thread_.load(std::memory_order_acquire) != 0 && shared_.ended.load(std::memory_order_seq_cst) == 0;
}

void CaptureController::SetFilters(unsigned short keyboards, unsigned short mice) {
    if (!HasContext() || !ThreadRunning()) {
        return;
    }
    const DriverContext context = Context();
    // Before the filters change, so every stroke the new filters hold back meets cleared flags.
    shared_.filterGeneration.store(shared_.filterGeneration.load(std::memory_order_relaxed) + 1,
                                   std::memory_order_release);
    driver_.set_filter(context, driver_.is_keyboard, keyboards);
    driver_.set_filter(context, driver_.is_mouse, mice);
    filtersSet_ = keyboards != 0 || mice != 0;
    watch_.Restart(shared_.passes.load(std::memory_order_relaxed), services_.ticks());
    // The thread may have ended between the check and the calls; then nobody re-injects.
    if (shared_.ended.load(std::memory_order_seq_cst) != 0) {
        ClearBothFilters(driver_, context);
        filtersSet_ = false;
    }
}

void CaptureController::SetCaptureFilters(bool useAuxKeyboards, bool useAuxMice) {
    SetFilters(useAuxKeyboards ? kKeyboardFilterAll : 0, useAuxMice ? kMouseFilterCaptured : 0);
}

void CaptureController::EnterSetupMode(DeviceClass deviceClass, std::uintptr_t setupTarget) {
    if (deviceClass == DEVICE_CLASS_KEYBOARDS) {
        SetFilters(kKeyboardFilterAll, 0);
    } else if (deviceClass == DEVICE_CLASS_MICE) {
        SetFilters(0, kMouseFilterCaptured);
    }
    // Target first, then the flag: a setup-mode event never goes to the main window.
    shared_.target.store(setupTarget, std::memory_order_release);
    shared_.setupMode.store(1, std::memory_order_release);
}

void CaptureController::LeaveSetupMode() {
    shared_.setupMode.store(0, std::memory_order_release);
    shared_.target.store(mainWindow_, std::memory_order_release);
    SetFilters(0, 0);
}
