#include "winfx/Dialog.h"

#include "winfx/DataExchange.h"
#include "winfx/MessageLoop.h"
#include "winfx/Trace.h"
#include "winfx/WinApp.h"

namespace {

// WM_CTLCOLORMSGBOX to WM_CTLCOLORSTATIC: a control's colours, asked of its parent.
bool IsCtlColorMessage(UINT message) {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

} // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParent(parent) {}

CDialog::~CDialog() {
    // Clear the back-pointer first, so that the destruction messages no longer reach this object.
    if (HWND hWnd = Detach())
        ::DestroyWindow(hWnd);
}

bool CDialog::Create(UINT templateId, CWnd* parent) {
    m_templateId = templateId;
    m_pParent = parent;
    return Create();
}

bool CDialog::Create() {
    if (m_hWnd)
        return false;
    m_modal = false;
    m_ended = false;
    return CreateFromTemplate(m_pParent ? m_pParent->m_hWnd : nullptr) != nullptr;
}

HWND CDialog::CreateFromTemplate(HWND owner) {
    m_initialised = false;
    HWND hWnd = ::CreateDialogParamA(WinFxResourceInstance(), MAKEINTRESOURCEA(m_templateId), owner,
                                     DialogProc, reinterpret_cast<LPARAM>(this));
    // A dialog that destroys itself during WM_INITDIALOG also gives nullptr; that is no failure.
    if (!hWnd && !m_initialised)
        TraceLastError("CreateDialogParamA");
    return hWnd;
}

HWND CDialog::ModalOwner() const {
    if (m_pParent && m_pParent->m_hWnd)
        return ::GetAncestor(m_pParent->m_hWnd, GA_ROOT);
    // No parent: the main window, or rather the window of it that was last active (a modal dialog
    // over it), so that the new dialog stacks on the one in front.
    CWinApp* app = WinFxApp();
    HWND mainWnd = app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr;
    if (!mainWnd || !::IsWindow(mainWnd))
        return nullptr;
    HWND popup = ::GetLastActivePopup(mainWnd);
    return popup && ::IsWindowVisible(popup) ? popup : mainWnd;
}

void CDialog::ReleaseOwner() {
    if (m_ownerDisabled && m_owner)
        ::EnableWindow(m_owner, TRUE);
    m_ownerDisabled = false;
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd)
        return -1;
    m_owner = ModalOwner();
    // An owner that is already disabled (by an outer modal run) is left for that run to enable.
    m_ownerDisabled = m_owner && ::IsWindowEnabled(m_owner);
    if (m_ownerDisabled)
        ::EnableWindow(m_owner, FALSE);
    m_modal = true;
    m_ended = false;
    m_result = IDCANCEL;

    HWND hWnd = CreateFromTemplate(m_owner);
    if (!hWnd || !m_hWnd || !::IsWindow(hWnd)) {
        // Not created, or destroyed by its own initialisation (the handle is dead then).
        m_result = -1;
    } else if (!m_ended) {
        ::ShowWindow(hWnd, SW_SHOW);
        const WinFxLoopEnd end = WinFxRunLoop([this] { return m_ended || !m_hWnd; });
        if (end.how == WinFxLoopEnd::Quit) {
            // The outer loop must see the WM_QUIT too.
            ::PostQuitMessage(end.quitCode);
            m_result = IDCANCEL;
        } else if (end.how == WinFxLoopEnd::Error) {
            m_result = -1;
        }
    }

    // Enable the owner before the dialog goes, so that the activation returns to it.
    ReleaseOwner();
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    m_modal = false;
    m_owner = nullptr;
    return m_result;
}

void CDialog::EndDialog(int result) {
    if (!m_modal) {
        DestroyWindow();
        return;
    }
    m_result = result;
    m_ended = true;
    ReleaseOwner();
    if (m_hWnd) {
        // Out of sight and out of reach at once, even while a nested modal loop keeps this run's
        // loop from ending; the owner takes the activation when it can be seen.
        const bool wasActive = ::GetActiveWindow() == m_hWnd;
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (wasActive && m_owner && ::IsWindowVisible(m_owner) && ::IsWindowEnabled(m_owner))
            ::SetActiveWindow(m_owner);
        // Wakes the modal loop in case it is waiting.
        ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
    }
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return !dx.failed;
}

bool CDialog::PreTranslateMessage(MSG* msg) {
    // Only keyboard input is the dialog manager's; everything else goes on up the chain.
    if (!m_hWnd || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return false;
    return ::IsDialogMessageA(m_hWnd, msg) != FALSE;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
            return 0;
        return DefaultProc(message, wParam, lParam);
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        return 0;
    case WM_CLOSE:
        if (!(m_modal && m_ended))
            OnCancel();
        return 0;
    default:
        break;
    }
    if (IsCtlColorMessage(message)) {
        // Reflection: the control's own object answers first.
        CWnd* child = FromHandle(reinterpret_cast<HWND>(lParam));
        if (child && child != this) {
            if (HBRUSH brush =
                    child->CtlColorReflect(reinterpret_cast<HDC>(wParam), message - WM_CTLCOLORMSGBOX))
                return reinterpret_cast<LRESULT>(brush);
        }
    }
    bool handled = false;
    const INT_PTR result = OnMessage(message, wParam, lParam, handled);
    if (handled)
        return result;
    return DefaultProc(message, wParam, lParam);
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
    if (!UpdateData(true))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool CDialog::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED)
        return false;
    // An ended dialog is only waiting for a nested modal loop to return: it takes no second ending.
    if (m_modal && m_ended && (id == IDOK || id == IDCANCEL))
        return true;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void CDialog::OnTimer(UINT_PTR) {}

INT_PTR CDialog::OnMessage(UINT, WPARAM, LPARAM, bool&) {
    return 0;
}

LRESULT CDialog::DefaultProc(UINT, WPARAM, LPARAM) {
    // The dialog manager does the default processing once the dialog procedure returns FALSE.
    m_current.defaulted = true;
    return 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dlg = nullptr;
    if (message == WM_INITDIALOG) {
        dlg = reinterpret_cast<CDialog*>(lParam);
        if (dlg) {
            dlg->Attach(hWnd);
            dlg->m_initialised = true;
        }
    } else {
        // Only DialogProc attaches objects to the windows it serves, so this is a CDialog.
        dlg = static_cast<CDialog*>(FromHandle(hWnd));
    }
    if (!dlg)
        return FALSE;

    bool defaulted = false;
    const LRESULT result = dlg->DispatchToWindowProc(message, wParam, lParam, &defaulted);
    if (message == WM_NCDESTROY) {
        dlg->Detach();
        return FALSE;
    }
    if (defaulted)
        return FALSE;
    // These answer through the return value of the dialog procedure itself.
    if (IsCtlColorMessage(message) || message == WM_INITDIALOG || message == WM_COMPAREITEM ||
        message == WM_VKEYTOITEM || message == WM_CHARTOITEM || message == WM_QUERYDRAGICON)
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
