#include "Controls.h"

#include "WindowFind.h"

namespace kve2e {

namespace {

testing::AssertionResult NoControl(HWND dialog, int id) {
    return testing::AssertionFailure()
           << "window " << dialog << " (\"" << WindowText(dialog) << "\") has no control " << id;
}

} // namespace

HWND Control(HWND dialog, int id) {
    return GetDlgItem(dialog, id);
}

std::optional<std::string> ControlText(HWND dialog, int id) {
    HWND control = Control(dialog, id);
    if (control == nullptr) {
        return std::nullopt;
    }
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
        return std::nullopt;
    }
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 5000, &copied)) {
        return std::nullopt;
    }
    text.resize(std::min<size_t>(copied, length));
    return text;
}

testing::AssertionResult SetControlText(HWND dialog, int id, std::string_view text) {
    HWND control = Control(dialog, id);
    if (control == nullptr) {
        return NoControl(dialog, id);
    }
    const std::string copy(text);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()), SMTO_ABORTIFHUNG,
                             5000, &result) ||
        result == FALSE) {
        return testing::AssertionFailure() << "control " << id << " did not take the text \"" << copy << "\"";
    }
    return testing::AssertionSuccess();
}

std::optional<int> CheckState(HWND dialog, int id) {
    HWND control = Control(dialog, id);
    if (control == nullptr) {
        return std::nullopt;
    }
    auto state = SendMsg(control, BM_GETCHECK, 0, 0, Millis(5000));
    if (!state) {
        return std::nullopt;
    }
    return static_cast<int>(*state);
}

testing::AssertionResult PressButton(HWND dialog, int id) {
    HWND control = Control(dialog, id);
    if (control == nullptr) {
        return NoControl(dialog, id);
    }
    return PostMsg(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

testing::AssertionResult ClickButton(HWND dialog, int id) {
    HWND control = Control(dialog, id);
    if (control == nullptr) {
        return NoControl(dialog, id);
    }
    return PostMsg(control, BM_CLICK);
}

testing::AssertionResult PostCommand(HWND window, int id, int code) {
    return PostMsg(window, WM_COMMAND, MAKEWPARAM(id, code), 0);
}

testing::AssertionResult PostMsg(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!PostMessageA(window, message, wParam, lParam)) {
        return testing::AssertionFailure() << "cannot post message " << message << " to window " << window
                                           << " (error " << GetLastError() << ")";
    }
    return testing::AssertionSuccess();
}

std::optional<LRESULT> SendMsg(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Millis timeout) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                             static_cast<UINT>(timeout.count()), &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

HWND FocusedControl(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (thread == 0 || !GetGUIThreadInfo(thread, &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

int FocusedControlId(HWND window) {
    HWND focus = FocusedControl(window);
    return focus == nullptr ? -1 : GetDlgCtrlID(focus);
}

} // namespace kve2e
