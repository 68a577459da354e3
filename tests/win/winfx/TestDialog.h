#pragma once
// The dialog and helpers the winfx suites drive: a dialog over template IDD_TEST that records the
// custom messages it sees, a subclassed label, a bounded message pump and a message-box answerer.
#include "TestResource.h"
#include "winfx/DataExchange.h"
#include "winfx/Dialog.h"
#include "winfx/MessageLoop.h"
#include "winfx/Static.h"

#include <functional>
#include <string>
#include <vector>

// Custom messages the tests post; WM_TEST_CONSUMED is handled in pre-translation.
enum : UINT { WM_TEST_PLAIN = WM_APP + 1, WM_TEST_CONSUMED = WM_APP + 2, WM_TEST_TO_LABEL = WM_APP + 3 };

class TestLabel : public CStatic {
public:
    std::vector<UINT> received;
    HBRUSH brush = nullptr;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    HBRUSH CtlColorReflect(HDC dc, UINT ctlType) override;
};

class TestDialog : public CDialog {
public:
    // Ends any modal run that the test failed to end.
    static constexpr UINT_PTR kWatchdogTimer = 77;
    static constexpr int kWatchdogResult = 4242;

    explicit TestDialog(CWnd* parent = nullptr, const char* name = "dlg")
        : CDialog(IDD_TEST, parent), m_name(name) {}

    std::string text = "abc";
    int number = 9871;
    bool flag = false;
    std::string last;
    TestLabel label;

    std::function<void(TestDialog&)> onInit;
    std::function<void(TestDialog&)> onDestroy;
    // Shared event log: "<name>:pre:<msg>" and "<name>:proc:<msg>" for the custom messages.
    std::vector<std::string>* log = nullptr;
    int okCount = 0;
    int cancelCount = 0;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnTimer(UINT_PTR id) override;
    bool PreTranslateMessage(MSG* msg) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void Record(const char* where, UINT message);
    std::string m_name;
};

// Pumps queued messages through the filter chain for up to ms milliseconds, or until done().
void PumpFor(
    DWORD ms, const std::function<bool()>& done = [] { return false; });

// Answers the next message box owned by owner: remembers its caption and text, presses OK.
struct MessageBoxAnswer {
    bool seen = false;
    std::string caption;
    std::string text;
    std::function<void()> then; // runs right after OK was posted to the box
};
void AnswerNextMessageBox(HWND owner, MessageBoxAnswer* answer);
