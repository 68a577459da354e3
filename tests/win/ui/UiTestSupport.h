#pragma once
// Helpers of the dialog suites: a hidden parent window with one static control, and the shared
// message pump and DIB pixels of tests/support/win.
#include "DibPixels.h"
#include "MessagePump.h"

#include <windows.h>

namespace uitest {

// A popup window (hidden unless visible) holding a static control with id 100 of the given
// client size.
class StaticHost {
public:
    StaticHost(int width, int height, bool visible = false);
    ~StaticHost();
    StaticHost(const StaticHost&) = delete;
    StaticHost& operator=(const StaticHost&) = delete;

    HWND parent() const { return m_parent; }
    HWND control() const { return m_control; }
    static constexpr int kControlId = 100;

private:
    HWND m_parent = nullptr;
    HWND m_control = nullptr;
};

} // namespace uitest
