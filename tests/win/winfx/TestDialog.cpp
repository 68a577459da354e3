#include "TestDialog.h"

#include <string>

LRESULT TestLabel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_APP)
        received.push_back(message);
    return CStatic::WindowProc(message, wParam, lParam);
}

HBRUSH TestLabel::CtlColorReflect(HDC, UINT ctlType) {
    return ctlType == CTLCOLOR_STATIC ? brush : nullptr;
}

void TestDialog::DoDataExchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_TEXT, text, 12);
    DDX_Text(dx, IDC_NUMBER, number, 1, 65535);
    DDX_Check(dx, IDC_FLAG, flag);
    DDX_Text(dx, IDC_LAST, last, 13);
    DDX_Control(dx, IDC_LABEL, label);
}

bool TestDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    if (IsModal())
        SetTimer(kWatchdogTimer, 10000);
    if (onInit)
        onInit(*this);
    return true;
}

void TestDialog::OnOK() {
    ++okCount;
    CDialog::OnOK();
}

void TestDialog::OnCancel() {
    ++cancelCount;
    CDialog::OnCancel();
}

void TestDialog::OnTimer(UINT_PTR id) {
    if (id == kWatchdogTimer) {
        KillTimer(id);
        EndDialog(kWatchdogResult);
    }
}

bool TestDialog::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_TEST_PLAIN || msg->message == WM_TEST_CONSUMED) {
        Record("pre", msg->message);
        if (msg->message == WM_TEST_CONSUMED)
            return true;
    }
    return CDialog::PreTranslateMessage(msg);
}

INT_PTR TestDialog::OnMessage(UINT message, WPARAM, LPARAM, bool& handled) {
    if (message == WM_TEST_PLAIN || message == WM_TEST_CONSUMED) {
        Record("proc", message);
        handled = true;
    }
    if (message == WM_DESTROY && onDestroy)
        onDestroy(*this);
    return 0;
}

void TestDialog::Record(const char* where, UINT message) {
    if (log)
        log->push_back(m_name + ":" + where + ":" + (message == WM_TEST_PLAIN ? "plain" : "consumed"));
}

void PumpFor(DWORD ms, const std::function<bool()>& done) {
    const DWORD start = ::GetTickCount();
    while (!done() && ::GetTickCount() - start < ms) {
        MSG msg;
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            WinFxPumpMessage(&msg);
        } else {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
}

namespace {

HWND g_boxOwner = nullptr;
MessageBoxAnswer* g_answer = nullptr;

BOOL CALLBACK FindBox(HWND hWnd, LPARAM found) {
    char className[16] = {};
    ::GetClassNameA(hWnd, className, sizeof className);
    if (std::string(className) == "#32770" && ::GetWindow(hWnd, GW_OWNER) == g_boxOwner &&
        ::GetDlgItem(hWnd, 0xFFFF)) {
        *reinterpret_cast<HWND*>(found) = hWnd;
        return FALSE;
    }
    return TRUE;
}

std::string TextOf(HWND hWnd) {
    char buffer[512] = {};
    ::GetWindowTextA(hWnd, buffer, sizeof buffer);
    return buffer;
}

void CALLBACK AnswerTimer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    if (!box || !g_answer)
        return;
    ::KillTimer(nullptr, id);
    g_answer->seen = true;
    g_answer->caption = TextOf(box);
    g_answer->text = TextOf(::GetDlgItem(box, 0xFFFF));
    MessageBoxAnswer* answer = g_answer;
    g_answer = nullptr;
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, IDOK)));
    if (answer->then)
        answer->then();
}

} // namespace

void AnswerNextMessageBox(HWND owner, MessageBoxAnswer* answer) {
    g_boxOwner = owner;
    g_answer = answer;
    ::SetTimer(nullptr, 0, 50, AnswerTimer);
}
