#pragma once
// CWnd: the one C++ object of a window. A non-owning view of its HWND plus the virtual hooks
// (pre-translation, window procedure, reflected colours) that the message loop and the window's
// procedure call. The object is attached when the window is created or subclassed and detached
// (back-pointer cleared) before the window or the object goes away.
#include <windows.h>

#include <string>
#include <string_view>
#include <type_traits>

// A window's timer ids: each window declares its own `enum class ... : UINT_PTR`.
template <typename Id>
concept WindowTimerId = std::is_enum_v<Id> && std::is_same_v<std::underlying_type_t<Id>, UINT_PTR>;

template <WindowTimerId Id>
constexpr UINT_PTR TimerIdValue(Id id) {
    return static_cast<UINT_PTR>(id);
}

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    // Detaches only: a plain CWnd does not own its window (CDialog does).
    virtual ~CWnd();

    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The object attached to hWnd, or nullptr.
    static CWnd* FromHandle(HWND hWnd);

    // Offered every queued message addressed to this window or to one of its descendants before
    // it is dispatched. True = handled, the message is not dispatched.
    virtual bool PreTranslateMessage(MSG* msg);

    // The window's message handler. The base gives the message default processing.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Asked by the parent dialog for a WM_CTLCOLORxxx about this control (ctlType is CTLCOLOR_*).
    // A brush answers the request; nullptr leaves it to the parent.
    virtual HBRUSH CtlColorReflect(HDC dc, UINT ctlType);

    // Thin helpers over the window and its child controls. Those that act return false when the
    // window or control does not exist or the call failed.
    HWND GetDlgItem(int id) const;
    bool SetItemText(int id, std::string_view text);
    std::string GetItemText(int id) const;
    bool EnableItem(int id, bool enable); // false: no such control
    bool CheckItem(int id, bool checked);
    bool IsItemChecked(int id) const;
    // Focus on the control, its whole text selected and the caret scrolled into view.
    bool SelectItemText(int id);
    // Named after the Win32 functions so that the ANSI macros of <windows.h> map onto them.
    bool SetWindowTextA(std::string_view text);
    std::string GetWindowTextA() const;
    // True when the window was visible before (as ShowWindow answers).
    bool ShowWindow(int cmdShow);
    bool IsWindowVisible() const;
    bool DestroyWindow();
    // (Re)starts timer id of this window; a running timer of the same id starts over.
    bool SetTimer(UINT_PTR id, UINT elapseMs);
    bool KillTimer(UINT_PTR id);
    template <WindowTimerId Id>
    bool SetTimer(Id id, UINT elapseMs) {
        return SetTimer(TimerIdValue(id), elapseMs);
    }
    template <WindowTimerId Id>
    bool KillTimer(Id id) {
        return KillTimer(TimerIdValue(id));
    }

protected:
    // Binds this object to hWnd (one object per window) and clears the binding.
    void Attach(HWND hWnd);
    HWND Detach();

    // Default processing of the message being handled (see DefaultProc).
    LRESULT Default();
    // What "default processing" means for this kind of window: DefWindowProc for a plain window,
    // the original procedure for a subclassed control, the dialog manager for a dialog.
    virtual LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Runs WindowProc for one message from a window procedure: remembers the message for
    // Default() and keeps exceptions from crossing into Win32 (they give default processing).
    // *defaulted tells whether default processing was asked for. The object must outlive the call.
    LRESULT DispatchToWindowProc(UINT message, WPARAM wParam, LPARAM lParam, bool* defaulted = nullptr);

    struct CurrentMessage {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        bool defaulted = false; // Default() was asked for this message
    };
    CurrentMessage m_current;
};
