#include "capture/DeviceFilters.h"
#include "capture/DeviceClass.h"
#include <atomic>

namespace {

std::atomic<DeviceMask> gChosen{0};

int Chosen(int device) {
    return device >= kFirstKeyboard && device <= kLastMouse &&
                   (gChosen.load(std::memory_order_relaxed) & DeviceBit(device)) != 0
               ? 1
               : 0;
}

} // namespace

void SetFilterOn(const DriverApi& driver, DriverContext context, DeviceMask devices, unsigned short filter) {
    if (devices == 0)
        return;
    gChosen.store(devices, std::memory_order_relaxed);
    driver.set_filter(context, Chosen, filter);
}
