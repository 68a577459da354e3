// Reading and driving the controls of another process's dialog, the way a user's input would
// arrive: texts through WM_GETTEXT/WM_SETTEXT, button presses and commands as posted messages.
#pragma once

#include "Wait.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace kve2e {

// Control id of dialog's child, nullptr when it has none.
HWND Control(HWND dialog, int id);

// A control's text, nullopt when the control does not exist or does not answer in time.
std::optional<std::string> ControlText(HWND dialog, int id);
// Sets a control's text (an edit control then notifies its parent with EN_CHANGE).
testing::AssertionResult SetControlText(HWND dialog, int id, std::string_view text);

// BST_CHECKED, BST_UNCHECKED or BST_INDETERMINATE; nullopt for a missing control.
std::optional<int> CheckState(HWND dialog, int id);

// Presses a button the way the dialog sees a click: WM_COMMAND(id, BN_CLICKED) posted to it.
// Does not change a check box's state; use ClickButton for that.
testing::AssertionResult PressButton(HWND dialog, int id);
// Posts BM_CLICK to the button itself: the button acts as if clicked (toggles a check box,
// then notifies its parent).
testing::AssertionResult ClickButton(HWND dialog, int id);

// Posts WM_COMMAND with a command id (a menu item, an accelerator: code 0) to a window.
testing::AssertionResult PostCommand(HWND window, int id, int code = 0);
// Posts any message; fails when the window is gone or its queue is full.
testing::AssertionResult PostMsg(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Sends a message and waits at most timeout for its result; nullopt when it does not return.
std::optional<LRESULT> SendMsg(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                               Millis timeout = kWait);

// The control that has the keyboard focus in window's thread (GetGUIThreadInfo), or nullptr.
HWND FocusedControl(HWND window);
// Its control id, or -1 when no control of that thread has the focus.
int FocusedControlId(HWND window);

} // namespace kve2e
