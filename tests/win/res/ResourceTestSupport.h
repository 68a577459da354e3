// Helpers shared by the resource suites: the program's own module and text reads.
#pragma once

#include <windows.h>

#include <string>

namespace kvtest {

inline HINSTANCE Module() {
    return GetModuleHandleA(nullptr);
}

// The string-table text of id, or empty.
inline std::string LoadText(UINT id) {
    char buf[2048] = {};
    const int n = LoadStringA(Module(), id, buf, sizeof buf);
    return std::string(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

inline std::string WindowText(HWND wnd) {
    char buf[512] = {};
    GetWindowTextA(wnd, buf, sizeof buf);
    return buf;
}

inline std::string ClassName(HWND wnd) {
    char buf[64] = {};
    GetClassNameA(wnd, buf, sizeof buf);
    return buf;
}

// A template instantiated with a procedure that does nothing, so that nothing (not even the
// default focus) changes the controls after creation. Destroyed with the object.
class TemplateWindow {
public:
    explicit TemplateWindow(int templateId)
        : wnd_(CreateDialogParamA(Module(), MAKEINTRESOURCEA(templateId), nullptr, &Proc, 0)) {}
    ~TemplateWindow() {
        if (wnd_)
            DestroyWindow(wnd_);
    }
    TemplateWindow(const TemplateWindow&) = delete;
    TemplateWindow& operator=(const TemplateWindow&) = delete;
    HWND get() const { return wnd_; }

private:
    static INT_PTR CALLBACK Proc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
    HWND wnd_;
};

} // namespace kvtest
