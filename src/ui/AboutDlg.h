#pragma once
// CAboutDlg: the about box (template 100, no parent: owned by the main window's last active popup): the
// program's name and version in large bold type. It closes after five seconds or at once when clicked, and
// also when the window given as endWith is destroyed (the program exiting under it) or a WM_QUIT reaches its
// modal loop.
#include "ui/Label.h"
#include "winfx/Dialog.h"

// Timers of the about box.
enum class AboutTimer : UINT_PTR { Close = 1028 };
inline constexpr UINT kAboutCloseMs = 5000;

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(HWND endWith = nullptr);
    ~CAboutDlg() override;

    CLabel m_label;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    bool OnInitDialog() override;
    void OnTimer(UINT_PTR id) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void Close();
    void WatchEndWith(bool watch);
    static LRESULT CALLBACK EndWithProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR subclassId, DWORD_PTR refData);

    HWND m_endWith;
    bool m_watching = false;
};
