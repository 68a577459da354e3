#pragma once
// Dialog data exchange between controls and members. Going to the controls (m_bSaveAndValidate
// false) values are written; going to the members they are read and checked. The first failed
// check shows its message (owned by the dialog, exclamation icon), puts the focus on the control
// with its text selected and marks the exchange failed; later DDX calls then do nothing.
#include "winfx/DataExchangeRules.h"
#include "winfx/Wnd.h"
#include "winfx/Static.h"

#include <string>
#include <string_view>

class CDataExchange {
public:
    CDataExchange(CWnd* dlg, bool saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlg(dlg) {}

    bool m_bSaveAndValidate;
    CWnd* m_pDlg; // the dialog whose controls are exchanged
    bool failed = false;

    // Reports a failed check on control id with text (see above).
    void Fail(int id, std::string_view text);
};

// A check box and a flag (0 unchecked, 1 checked, 2 indeterminate for int).
void DDX_Check(CDataExchange* dx, int id, int& value);
void DDX_Check(CDataExchange* dx, int id, bool& value);

// An edit and a text of at most maxChars characters (0 = no limit). Going to the control the
// limit also becomes its input limit. Too long on saving: message 61716, the member holds the text.
void DDX_Text(CDataExchange* dx, int id, std::string& value, int maxChars);

// An edit and an integer in [minValue, maxValue]. Not an integer: message 61712, the member keeps
// its value. Out of range: message 61714 with the bounds, the member holds the new value.
void DDX_Text(CDataExchange* dx, int id, int& value, int minValue, int maxValue);

// Binds a static control of the dialog to ctl, once.
void DDX_Control(CDataExchange* dx, int id, CStatic& ctl);
