#include "winfx/Static.h"

#include "winfx/Trace.h"

#include <commctrl.h>

namespace {

constexpr UINT_PTR kSubclassId = 0x6B76; // ours among the control's subclasses

} // namespace

CStatic::~CStatic() {
    UnsubclassWindow();
}

bool CStatic::SubclassDlgItem(int id, CWnd* parent) {
    if (m_hWnd || !parent)
        return false;
    HWND control = parent->GetDlgItem(id);
    if (!control || FromHandle(control))
        return false;
    if (!::SetWindowSubclass(control, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        TraceLastError("SetWindowSubclass");
        return false;
    }
    Attach(control);
    return true;
}

void CStatic::UnsubclassWindow() {
    if (!m_hWnd)
        return;
    ::RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
    Detach();
}

LRESULT CStatic::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CStatic::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR refData) {
    auto* self = reinterpret_cast<CStatic*>(refData);
    if (message == WM_NCDESTROY) {
        self->UnsubclassWindow();
        return ::DefSubclassProc(hWnd, message, wParam, lParam);
    }
    return self->DispatchToWindowProc(message, wParam, lParam);
}
