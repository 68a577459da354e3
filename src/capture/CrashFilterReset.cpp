#include "capture/CrashFilterReset.h"

namespace {

std::atomic<const DriverApi*> gDriver{nullptr};
std::atomic<const std::atomic<DriverContext>*> gContext{nullptr};

} // namespace

void ArmCrashFilterReset(const DriverApi& driver, const std::atomic<DriverContext>& context) {
    gContext.store(&context, std::memory_order_release);
    gDriver.store(&driver, std::memory_order_release);
}

void DisarmCrashFilterReset() {
    gDriver.store(nullptr, std::memory_order_release);
    gContext.store(nullptr, std::memory_order_release);
}

void ClearFiltersOnCrash() noexcept {
    const DriverApi* driver = gDriver.load(std::memory_order_acquire);
    const std::atomic<DriverContext>* context = gContext.load(std::memory_order_acquire);
    if (driver == nullptr || context == nullptr) {
        return;
    }
    const DriverContext current = context->load(std::memory_order_acquire);
    if (current == nullptr) {
        return;
    }
    ClearBothFilters(*driver, current);
}
