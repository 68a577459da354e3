#include "winfx/Wnd.h"

#include <exception>

namespace {

// The object of a window is kept in a window property: it needs no extra window bytes and leaves
// GWLP_USERDATA to whoever owns the window class.
constexpr const char* kObjectProperty = "kvWinFx.CWnd";

} // namespace

CWnd::~CWnd() {
    Detach();
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (!hWnd)
        return nullptr;
    return static_cast<CWnd*>(::GetPropA(hWnd, kObjectProperty));
}

bool CWnd::PreTranslateMessage(MSG*) {
    return false;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(message, wParam, lParam);
}

HBRUSH CWnd::CtlColorReflect(HDC, UINT) {
    return nullptr;
}

HWND CWnd::GetDlgItem(int id) const {
    return ::GetDlgItem(m_hWnd, id);
}

bool CWnd::SetItemText(int id, std::string_view text) {
    return ::SetDlgItemTextA(m_hWnd, id, std::string(text).c_str()) != FALSE;
}

static std::string TextOf(HWND hWnd) {
    if (!hWnd)
        return {};
    const int length = ::GetWindowTextLengthA(hWnd);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = ::GetWindowTextA(hWnd, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

std::string CWnd::GetItemText(int id) const {
    return TextOf(GetDlgItem(id));
}

bool CWnd::EnableItem(int id, bool enable) {
    HWND control = GetDlgItem(id);
    if (!control)
        return false;
    // The answer is the former state, not success.
    ::EnableWindow(control, enable ? TRUE : FALSE);
    return true;
}

bool CWnd::CheckItem(int id, bool checked) {
    return ::CheckDlgButton(m_hWnd, id, checked ? BST_CHECKED : BST_UNCHECKED) != FALSE;
}

bool CWnd::IsItemChecked(int id) const {
    return ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED;
}

bool CWnd::SelectItemText(int id) {
    HWND control = GetDlgItem(id);
    if (!control)
        return false;
    ::SetFocus(control);
    ::SendMessageA(control, EM_SETSEL, 0, -1);
    ::SendMessageA(control, EM_SCROLLCARET, 0, 0);
    return true;
}

bool CWnd::SetWindowTextA(std::string_view text) {
    return m_hWnd && ::SetWindowTextA(m_hWnd, std::string(text).c_str()) != FALSE;
}

std::string CWnd::GetWindowTextA() const {
    return TextOf(m_hWnd);
}

bool CWnd::ShowWindow(int cmdShow) {
    return ::ShowWindow(m_hWnd, cmdShow) != FALSE;
}

bool CWnd::IsWindowVisible() const {
    return m_hWnd && ::IsWindowVisible(m_hWnd);
}

bool CWnd::DestroyWindow() {
    return m_hWnd && ::DestroyWindow(m_hWnd);
}

bool CWnd::SetTimer(UINT_PTR id, UINT elapseMs) {
    return m_hWnd && ::SetTimer(m_hWnd, id, elapseMs, nullptr) != 0;
}

bool CWnd::KillTimer(UINT_PTR id) {
    return ::KillTimer(m_hWnd, id) != FALSE;
}

void CWnd::Attach(HWND hWnd) {
    m_hWnd = hWnd;
    ::SetPropA(hWnd, kObjectProperty, this);
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd && FromHandle(hWnd) == this)
        ::RemovePropA(hWnd, kObjectProperty);
    m_hWnd = nullptr;
    return hWnd;
}

LRESULT CWnd::Default() {
    return DefaultProc(m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::DispatchToWindowProc(UINT message, WPARAM wParam, LPARAM lParam, bool* defaulted) {
    const CurrentMessage outer = m_current;
    m_current = {message, wParam, lParam, false};
    LRESULT result = 0;
    try {
        result = WindowProc(message, wParam, lParam);
    } catch (const std::exception& e) {
        ::OutputDebugStringA(e.what());
        result = DefaultProc(message, wParam, lParam);
    } catch (...) {
        ::OutputDebugStringA("winfx: exception in a window procedure");
        result = DefaultProc(message, wParam, lParam);
    }
    if (defaulted)
        *defaulted = m_current.defaulted;
    m_current = outer;
    return result;
}
