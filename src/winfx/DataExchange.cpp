#include "winfx/DataExchange.h"

#include "winfx/DataExchangeRules.h"
#include "winfx/StringTable.h"
#include "winfx/Trace.h"
#include "winfx/WinApp.h"

void CDataExchange::Fail(int id, std::string_view text) {
    failed = true;
    HWND dlg = m_pDlg ? m_pDlg->m_hWnd : nullptr;
    ::MessageBoxA(dlg, std::string(text).c_str(), WinFxAppTitle().c_str(), MB_OK | MB_ICONEXCLAMATION);
    if (m_pDlg)
        m_pDlg->SelectItemText(id);
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    if (dx->failed)
        return;
    if (dx->m_bSaveAndValidate) {
        value = static_cast<int>(::IsDlgButtonChecked(dx->m_pDlg->m_hWnd, id));
        return;
    }
    const UINT state = value == 1 ? BST_CHECKED : value == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
    ::CheckDlgButton(dx->m_pDlg->m_hWnd, id, state);
}

void DDX_Check(CDataExchange* dx, int id, bool& value) {
    int state = value ? 1 : 0;
    DDX_Check(dx, id, state);
    if (dx->m_bSaveAndValidate && !dx->failed)
        value = state == 1;
}

void DDX_Text(CDataExchange* dx, int id, std::string& value, int maxChars) {
    if (dx->failed)
        return;
    if (!dx->m_bSaveAndValidate) {
        if (maxChars > 0)
            ::SendMessageA(dx->m_pDlg->GetDlgItem(id), EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
        dx->m_pDlg->SetItemText(id, value);
        return;
    }
    value = dx->m_pDlg->GetItemText(id);
    if (!DdxFitsLength(value, maxChars))
        dx->Fail(id, DdxLengthMessage(LoadResourceString(DDX_MSG_TOO_LONG), maxChars));
}

void DDX_Text(CDataExchange* dx, int id, int& value, int minValue, int maxValue) {
    if (dx->failed)
        return;
    if (!dx->m_bSaveAndValidate) {
        dx->m_pDlg->SetItemText(id, std::to_string(value));
        return;
    }
    const DdxIntCheck check = CheckDdxInt(dx->m_pDlg->GetItemText(id), minValue, maxValue);
    switch (check.outcome) {
    case DdxIntOutcome::NotInteger:
        dx->Fail(id, LoadResourceString(DDX_MSG_NOT_INTEGER));
        return;
    case DdxIntOutcome::OutOfRange:
        value = check.value;
        dx->Fail(id, DdxRangeMessage(LoadResourceString(DDX_MSG_INTEGER_RANGE), minValue, maxValue));
        return;
    case DdxIntOutcome::Ok:
        value = check.value;
        return;
    }
}

void DDX_Control(CDataExchange* dx, int id, CStatic& ctl) {
    if (dx->failed || ctl.m_hWnd)
        return;
    // Without its object the control keeps its template text and plain painting.
    if (!ctl.SubclassDlgItem(id, dx->m_pDlg))
        TraceLastError(("SubclassDlgItem of control " + std::to_string(id)).c_str());
}
