#include "WindowFind.h"

namespace kve2e {

namespace {

struct EnumState {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
    auto* state = reinterpret_cast<EnumState*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (state->pid == 0 || owner == state->pid) {
        state->found.push_back(hwnd);
    }
    return TRUE;
}

std::string TitlesOf(DWORD pid) {
    std::string list;
    for (HWND w : TopLevelWindows(pid)) {
        const std::string title = WindowText(w);
        if (!title.empty()) {
            list += (list.empty() ? "\"" : ", \"") + title + "\"";
        }
    }
    return list.empty() ? "none" : list;
}

} // namespace

std::vector<HWND> TopLevelWindows(DWORD pid) {
    EnumState state{pid, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

std::string WindowText(HWND hwnd) {
    // A hung window must not hang the test: ask with a time-out.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
        return {};
    }
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 5000, &copied)) {
        return {};
    }
    text.resize(std::min<size_t>(copied, length));
    return text;
}

std::string ClassName(HWND hwnd) {
    char name[256];
    const int n = GetClassNameA(hwnd, name, sizeof name);
    return std::string(name, n > 0 ? n : 0);
}

HWND FindTopLevel(DWORD pid, std::string_view title) {
    for (HWND w : TopLevelWindows(pid)) {
        if (WindowText(w) == title) {
            return w;
        }
    }
    return nullptr;
}

testing::AssertionResult WaitForWindow(DWORD pid, std::string_view title, HWND& out, Millis timeout) {
    out = nullptr;
    auto found = WaitUntil([&] { return (out = FindTopLevel(pid, title)) != nullptr; }, timeout,
                           "window \"" + std::string(title) + "\" of pid " + std::to_string(pid));
    if (!found) {
        found << " (its top-level windows: " << TitlesOf(pid) << ")";
    }
    return found;
}

testing::AssertionResult WaitForWindowGone(DWORD pid, std::string_view title, Millis timeout) {
    return WaitUntil([&] { return FindTopLevel(pid, title) == nullptr; }, timeout,
                     "window \"" + std::string(title) + "\" of pid " + std::to_string(pid) + " to close");
}

} // namespace kve2e
