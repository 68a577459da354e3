#include "connections/ReconnectSchedule.h"

#include <algorithm>

ReconnectSchedule::ReconnectSchedule(MonoMs firstMs, MonoMs capMs)
    : first_(std::max<MonoMs>(firstMs, 1)), cap_(std::max<MonoMs>(capMs, 1)), next_(first_) {}

MonoMs ReconnectSchedule::NextDelay() {
    const MonoMs delay = std::min(next_, cap_);
    next_ = std::min(next_, cap_) * 2;
    return delay;
}
