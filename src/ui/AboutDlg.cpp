#include "ui/AboutDlg.h"

#include "res/resource.h"
#include "winfx/DataExchange.h"
#include "winfx/Dpi.h"
#include "winfx/StringTable.h"

#include <commctrl.h>

namespace {

constexpr UINT_PTR kEndWithSubclassId = 0x6B61; // ours among the watched window's subclasses

} // namespace

CAboutDlg::CAboutDlg(HWND endWith) : CDialog(IDD_ABOUTBOX, nullptr), m_endWith(endWith) {}

CAboutDlg::~CAboutDlg() {
    WatchEndWith(false);
}

void CAboutDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_ABOUT_LABEL, m_label);
}

bool CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_label.SetWindowTextA(
        FormatText(LoadResourceString(IDS_ABOUT_VERSION), {LoadResourceString(IDS_VERSION)}));
    m_label.SetFontWeight(FW_BOLD);
    // 18 pixels high at 96 DPI, as much larger as the screen's text.
    m_label.SetFontHeight(-ScaleForDpi(18));
    SetTimer(AboutTimer::Close, kAboutCloseMs);
    WatchEndWith(true);
    return true;
}

void CAboutDlg::Close() {
    KillTimer(AboutTimer::Close);
    OnOK();
}

void CAboutDlg::OnTimer(UINT_PTR id) {
    if (id == TimerIdValue(AboutTimer::Close))
        Close();
}

INT_PTR CAboutDlg::OnMessage(UINT message, WPARAM, LPARAM, bool&) {
    // None of the statics has the notify style, so a click anywhere on the box arrives here.
    if (message == WM_LBUTTONDOWN)
        Close();
    else if (message == WM_DESTROY)
        WatchEndWith(false);
    return 0;
}

void CAboutDlg::WatchEndWith(bool watch) {
    if (watch == m_watching || !m_endWith)
        return;
    if (watch)
        m_watching = ::IsWindow(m_endWith) && ::SetWindowSubclass(m_endWith, EndWithProc, kEndWithSubclassId,
                                                                  reinterpret_cast<DWORD_PTR>(this));
    else {
        ::RemoveWindowSubclass(m_endWith, EndWithProc, kEndWithSubclassId);
        m_watching = false;
    }
}

LRESULT CALLBACK CAboutDlg::EndWithProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR refData) {
    if (message == WM_DESTROY) {
        // The window the box belongs to is going: end the box now, without touching that window again.
        auto* self = reinterpret_cast<CAboutDlg*>(refData);
        self->WatchEndWith(false);
        self->m_endWith = nullptr;
        self->KillTimer(AboutTimer::Close);
        self->EndDialog(IDCANCEL);
    }
    return ::DefSubclassProc(hWnd, message, wParam, lParam);
}
