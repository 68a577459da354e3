#pragma once
// The filter driver's operations as a table, so the capture code runs against the real
// interception.dll in the program and against a fake in tests. The signatures follow the library's
// C interface (cdecl on both architectures).
#include "capture/Stroke.h"

using DriverContext = void*;
using DriverPredicate = int (*)(int device);

struct DriverApi {
    DriverContext (*create_context)();
    void (*destroy_context)(DriverContext context);
    void (*set_filter)(DriverContext context, DriverPredicate predicate, unsigned short filter);
    int (*wait_with_timeout)(DriverContext context, unsigned long milliseconds);
    int (*receive)(DriverContext context, int device, Stroke* strokes, unsigned int count);
    int (*send)(DriverContext context, int device, const Stroke* strokes, unsigned int count);
    int (*is_keyboard)(int device);
    int (*is_mouse)(int device);
    unsigned int (*get_hardware_id)(DriverContext context, int device, void* buffer, unsigned int size);
};

// Both filters to 0: the driver holds back no stroke of either class any more. Allocates nothing
// and takes no lock of ours, so the crash path may call it too.
inline void ClearBothFilters(const DriverApi& driver, DriverContext context) {
    driver.set_filter(context, driver.is_keyboard, 0);
    driver.set_filter(context, driver.is_mouse, 0);
}
