#include "MessageBoxes.h"

#include "Controls.h"
#include "WindowFind.h"

namespace kve2e {

namespace {

std::string ButtonsOf(HWND box) {
    std::string list;
    for (int id = IDOK; id <= IDCONTINUE; ++id) {
        if (HWND b = GetDlgItem(box, id); b != nullptr && IsWindowVisible(b)) {
            list += (list.empty() ? "" : ", ") + std::to_string(id) + " \"" + WindowText(b) + "\"";
        }
    }
    return list.empty() ? "none" : list;
}

} // namespace

bool IsMessageBox(HWND hwnd) {
    if (ClassName(hwnd) != "#32770") {
        return false;
    }
    HWND text = GetDlgItem(hwnd, kMessageBoxTextId);
    return text != nullptr && ClassName(text) == "Static";
}

HWND FindMessageBox(DWORD pid, std::optional<std::string_view> caption) {
    for (HWND w : TopLevelWindows(pid)) {
        if (IsWindowVisible(w) && IsMessageBox(w) && (!caption || WindowText(w) == *caption)) {
            return w;
        }
    }
    return nullptr;
}

testing::AssertionResult WaitForMessageBox(DWORD pid, HWND& out, std::optional<std::string_view> caption,
                                           Millis timeout) {
    out = nullptr;
    std::string what = "a message box of pid " + std::to_string(pid);
    if (caption) {
        what += " captioned \"" + std::string(*caption) + "\"";
    }
    return WaitUntil([&] { return (out = FindMessageBox(pid, caption)) != nullptr; }, timeout, what);
}

std::string MessageBoxText(HWND box) {
    return ControlText(box, kMessageBoxTextId).value_or("");
}

testing::AssertionResult PressMessageBoxButton(HWND box, int buttonId) {
    // A box may keep the buttons of other styles hidden: only a visible one can be pressed.
    HWND button = GetDlgItem(box, buttonId);
    if (button == nullptr || !IsWindowVisible(button)) {
        return testing::AssertionFailure() << "message box \"" << WindowText(box) << "\" has no button "
                                           << buttonId << " (its buttons: " << ButtonsOf(box) << ")";
    }
    return PressButton(box, buttonId);
}

} // namespace kve2e
