#pragma once
// CStatic: a static control of a dialog template taken over by a C++ object (subclassing by
// control id) so that it can paint, colour or react itself through WindowProc.
#include "winfx/Wnd.h"

class CStatic : public CWnd {
public:
    CStatic() = default;
    ~CStatic() override;

    // Subclasses control id of parent. False when there is no such control or it already has
    // an object.
    bool SubclassDlgItem(int id, CWnd* parent);
    // Gives the control back its own procedure and detaches; also done when the control is
    // destroyed and when this object goes away.
    void UnsubclassWindow();

protected:
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR subclassId, DWORD_PTR refData);
};
