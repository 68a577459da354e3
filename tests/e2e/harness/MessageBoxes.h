// Telling message boxes from dialogs, reading them and answering them.
#pragma once

#include "Wait.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace kve2e {

// The id of a message box's text: a static control on a "#32770" dialog. Our own dialogs never
// use it, so it tells a message box from a dialog.
inline constexpr int kMessageBoxTextId = 0xFFFF;

bool IsMessageBox(HWND hwnd);

// The first message box of pid (with that caption, when given), or nullptr.
HWND FindMessageBox(DWORD pid, std::optional<std::string_view> caption = std::nullopt);
testing::AssertionResult WaitForMessageBox(DWORD pid, HWND& out,
                                           std::optional<std::string_view> caption = std::nullopt,
                                           Millis timeout = kWait);

// The message, as the box shows it.
std::string MessageBoxText(HWND box);

// Answers the box with one of its buttons (IDOK, IDCANCEL, IDYES, IDNO, ...); fails when the box
// has no such button, and names the buttons it has.
testing::AssertionResult PressMessageBoxButton(HWND box, int buttonId);

} // namespace kve2e
