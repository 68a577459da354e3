#pragma once
// A bounded message pump for Wine suites (X11 is asynchronous): messages go through the program's
// filter chain, as in the program's own loops.
#include <windows.h>

#include <functional>

namespace uitest {

// Dispatches messages until done() or timeoutMs passed. A WM_QUIT is posted again and ends the
// pump. Returns done() at the end.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
inline void Pump(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

} // namespace uitest
