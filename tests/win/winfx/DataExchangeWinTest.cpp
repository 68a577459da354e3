#include "TestDialog.h"
#include "winfx/WinApp.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class DataExchangeWin : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dlg.Create());
        dlg.ShowWindow(SW_SHOW);
        PumpFor(100);
    }

    // Saves with the message box answered; returns UpdateData's result.
    bool SaveAnswering(MessageBoxAnswer* answer) {
        AnswerNextMessageBox(dlg.m_hWnd, answer);
        return dlg.UpdateData(true);
    }

    TestDialog dlg;
};

TEST_F(DataExchangeWin, MembersGoToControlsWithInputLimits) {
    dlg.text = "KEYB";
    dlg.number = -17;
    dlg.flag = true;
    ASSERT_TRUE(dlg.UpdateData(false));
    EXPECT_EQ(dlg.GetItemText(IDC_TEXT), "KEYB");
    EXPECT_EQ(dlg.GetItemText(IDC_NUMBER), "-17");
    EXPECT_TRUE(dlg.IsItemChecked(IDC_FLAG));
    EXPECT_EQ(::SendMessageA(dlg.GetDlgItem(IDC_TEXT), EM_GETLIMITTEXT, 0, 0), 12);
    EXPECT_EQ(::SendMessageA(dlg.GetDlgItem(IDC_LAST), EM_GETLIMITTEXT, 0, 0), 13);
}

TEST_F(DataExchangeWin, ControlsGoToMembersWhenAllChecksPass) {
    dlg.SetItemText(IDC_TEXT, "AUXMOUSE");
    dlg.SetItemText(IDC_NUMBER, " 65535 ");
    dlg.CheckItem(IDC_FLAG, true);
    dlg.SetItemText(IDC_LAST, "");
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.text, "AUXMOUSE");
    EXPECT_EQ(dlg.number, 65535);
    EXPECT_TRUE(dlg.flag);
    EXPECT_EQ(dlg.last, "");
}

struct FailureCase {
    int control;
    std::string input;
    std::string message;
    int numberAfter;       // the integer member after the failed save
    std::string textAfter; // the first text member after the failed save
};

TEST_F(DataExchangeWin, FirstFailureShowsItsMessageFocusesTheControlAndStops) {
    const std::string longText(20, 'X');
    const FailureCase cases[] = {
        // From the program's string table (the test's table translates only this one).
        {IDC_TEXT, longText, "At most 12 characters here.", 9871, longText},
        {IDC_NUMBER, "", "Please enter an integer.", 9871, "abc"},
        {IDC_NUMBER, "12x", "Please enter an integer.", 9871, "abc"},
        {IDC_NUMBER, "99999999999", "Please enter an integer.", 9871, "abc"},
        {IDC_NUMBER, "0", "Please enter an integer between 1 and 65535.", 0, "abc"},
        {IDC_NUMBER, "65536", "Please enter an integer between 1 and 65535.", 65536, "abc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("control " + std::to_string(c.control) + " input \"" + c.input + "\"");
        dlg.text = "abc";
        dlg.number = 9871;
        dlg.flag = false;
        dlg.last = "old";
        ASSERT_TRUE(dlg.UpdateData(false));
        // WM_SETTEXT is not bound by the input limit, as a value read from a file is not.
        dlg.SetItemText(c.control, c.input);
        ASSERT_EQ(dlg.GetItemText(c.control), c.input);
        dlg.CheckItem(IDC_FLAG, true);
        dlg.SetItemText(IDC_LAST, "new");

        MessageBoxAnswer answer;
        EXPECT_FALSE(SaveAnswering(&answer));
        ASSERT_TRUE(answer.seen);
        EXPECT_EQ(answer.text, c.message);
        EXPECT_EQ(answer.caption, WinFxAppTitle());
        EXPECT_EQ(dlg.number, c.numberAfter);
        EXPECT_EQ(dlg.text, c.textAfter);
        // Exchanges after the failing one did not run.
        EXPECT_FALSE(dlg.flag);
        EXPECT_EQ(dlg.last, "old");

        EXPECT_EQ(::GetFocus(), dlg.GetDlgItem(c.control));
        DWORD start = 0, end = 0;
        ::SendMessageA(dlg.GetDlgItem(c.control), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                       reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, c.input.size());
    }
}

TEST(DataExchangeModal, EnterSavesThroughOnOkAndEndsTheDialog) {
    TestDialog dlg;
    dlg.onInit = [](TestDialog& d) {
        d.SetItemText(IDC_NUMBER, "80");
        ::PostMessageA(d.GetDlgItem(IDC_TEXT), WM_KEYDOWN, VK_RETURN, 0);
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.okCount, 1);
    EXPECT_EQ(dlg.number, 80);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST(DataExchangeModal, FailedSaveKeepsTheDialogOpen) {
    TestDialog dlg;
    MessageBoxAnswer answer;
    dlg.onInit = [&answer](TestDialog& d) {
        d.SetItemText(IDC_NUMBER, "");
        HWND hWnd = d.m_hWnd;
        answer.then = [hWnd] { ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); };
        AnswerNextMessageBox(hWnd, &answer);
        ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.okCount, 1);
    EXPECT_EQ(dlg.cancelCount, 1);
    EXPECT_TRUE(answer.seen);
    EXPECT_EQ(answer.text, "Please enter an integer.");
}

} // namespace
