#pragma once
// CDialog: a dialog from a template in the program's resources, modeless (Create, ended by
// DestroyWindow) or modal (DoModal, our own modal loop so pre-translation runs inside it too,
// ended by EndDialog). Messages reach typed virtual handlers through WindowProc.
#include "winfx/Wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr);
    // Destroys the window if it still exists, after clearing the back-pointer.
    ~CDialog() override;

    // Modeless: creates the dialog (visible only if its template says so). False on failure.
    bool Create(UINT templateId, CWnd* parent = nullptr);
    bool Create();

    // Modal: runs the filter-chain loop until EndDialog, then destroys the window. The owner is the
    // parent's top-level window or, without a parent, the main window's last active popup; it is
    // disabled for the run unless it already was (an outer run then enables it). Returns the
    // EndDialog result; IDCANCEL when a WM_QUIT ended the loop (the WM_QUIT is posted again); -1
    // when the dialog could not be created, destroyed itself while initialising, or GetMessage failed.
    INT_PTR DoModal();

    // Modal: hides the dialog and gives the owner back its input at once, then ends the loop with
    // result. Modeless: destroys the window.
    void EndDialog(int result);
    bool IsModal() const { return m_modal; }

    // Runs DoDataExchange in one direction; false when a check failed (its message was shown).
    bool UpdateData(bool saveAndValidate = true);

    // Keyboard messages go through IsDialogMessage (Tab, Enter, Escape, mnemonics).
    bool PreTranslateMessage(MSG* msg) override;
    // Dispatches to the handlers below; unhandled messages get the dialog manager's processing.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // The base exchanges the members into the controls. True lets the system set the focus.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange* dx);
    // IDOK: UpdateData(true), then EndDialog(IDOK) when it succeeded.
    virtual void OnOK();
    // IDCANCEL and WM_CLOSE: EndDialog(IDCANCEL).
    virtual void OnCancel();
    // WM_COMMAND. True = handled. The base handles IDOK and IDCANCEL clicks.
    virtual bool OnCommand(int id, int code, HWND control);
    virtual void OnTimer(UINT_PTR id);
    // Every other message. Set handled to answer it with the returned value.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_templateId;
    CWnd* m_pParent;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND CreateFromTemplate(HWND owner);
    HWND ModalOwner() const;
    // Re-enables the owner if this run disabled it; once.
    void ReleaseOwner();

    bool m_modal = false;
    HWND m_owner = nullptr;
    bool m_ownerDisabled = false; // by this run
    bool m_ended = false;
    bool m_initialised = false; // WM_INITDIALOG reached the dialog: its window was created
    INT_PTR m_result = 0;
};
