// Finding a program's top-level windows by title and process, with bounded waits.
#pragma once

#include "Wait.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace kve2e {

// Top-level windows of process pid (0: of every process), visible or not, in Z order.
std::vector<HWND> TopLevelWindows(DWORD pid);

// A window's title and class name (empty when the window is gone or does not answer).
std::string WindowText(HWND hwnd);
std::string ClassName(HWND hwnd);

// The first top-level window of pid (0: any) whose title is exactly title, or nullptr.
HWND FindTopLevel(DWORD pid, std::string_view title);

// Waits until FindTopLevel finds the window and stores it in out. The failure lists the titles
// the process does have, which usually tells why.
testing::AssertionResult WaitForWindow(DWORD pid, std::string_view title, HWND& out, Millis timeout = kWait);
// Waits until no top-level window of pid has that title any more.
testing::AssertionResult WaitForWindowGone(DWORD pid, std::string_view title, Millis timeout = kWait);

} // namespace kve2e
