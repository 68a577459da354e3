#pragma once
// Where the capture thread's events go: PostMessageA(target, WM_AUX_INPUT, ...) in the program, a
// recorder in tests. Called on the capture thread; must not block or allocate.
#include <cstdint>

class AuxInputSink {
public:
    virtual ~AuxInputSink() = default;
    // The result is not needed: a failed post loses that one event.
    virtual void Post(std::uintptr_t target, std::uint32_t wParam, std::int32_t lParam) = 0;
};
