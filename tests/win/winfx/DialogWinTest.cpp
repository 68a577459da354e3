#include "TestDialog.h"

#include <gtest/gtest.h>

namespace {

TEST(ModelessDialog, CreateWithAndWithoutParent) {
    TestDialog top;
    ASSERT_TRUE(top.Create());
    EXPECT_EQ(::GetWindow(top.m_hWnd, GW_OWNER), nullptr);
    EXPECT_EQ(CWnd::FromHandle(top.m_hWnd), &top);
    EXPECT_FALSE(top.IsModal());
    EXPECT_FALSE(top.IsWindowVisible()) << "the template has no WS_VISIBLE";
    EXPECT_EQ(top.GetItemText(IDC_NUMBER), "9871") << "OnInitDialog exchanges the members";
    EXPECT_FALSE(top.Create()) << "a second window for the same object";

    TestDialog child(&top);
    ASSERT_TRUE(child.Create());
    EXPECT_EQ(::GetWindow(child.m_hWnd, GW_OWNER), top.m_hWnd);

    HWND hWnd = child.m_hWnd;
    ASSERT_TRUE(child.DestroyWindow());
    EXPECT_EQ(child.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandle(hWnd), nullptr);
    EXPECT_EQ(child.label.m_hWnd, nullptr) << "the label is unsubclassed with its window";
}

TEST(ModelessDialog, DestructorDestroysTheWindow) {
    HWND hWnd = nullptr;
    {
        TestDialog dlg;
        ASSERT_TRUE(dlg.Create());
        hWnd = dlg.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(hWnd));
}

TEST(ModelessDialog, EscapeReachesOnCancelThroughTheFilterChain) {
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create());
    ::PostMessageA(dlg.GetDlgItem(IDC_TEXT), WM_KEYDOWN, VK_ESCAPE, 0);
    PumpFor(2000, [&] { return dlg.cancelCount > 0; });
    EXPECT_EQ(dlg.cancelCount, 1);
    EXPECT_EQ(dlg.m_hWnd, nullptr) << "a modeless dialog ends by being destroyed";
}

TEST(ModalDialog, DisablesTheOwnerAndEnablesItBeforeTheWindowGoes) {
    TestDialog owner;
    ASSERT_TRUE(owner.Create());
    TestDialog modal(&owner);
    bool ownerEnabledInRun = true, ownerEnabledAtDestroy = false;
    modal.onInit = [&](TestDialog& d) {
        ownerEnabledInRun = ::IsWindowEnabled(owner.m_hWnd) != FALSE;
        EXPECT_TRUE(d.IsModal());
        d.EndDialog(33);
    };
    modal.onDestroy = [&](TestDialog&) { ownerEnabledAtDestroy = ::IsWindowEnabled(owner.m_hWnd) != FALSE; };
    EXPECT_EQ(modal.DoModal(), 33);
    EXPECT_FALSE(ownerEnabledInRun);
    EXPECT_TRUE(ownerEnabledAtDestroy);
    EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd));
    EXPECT_EQ(modal.m_hWnd, nullptr);
    EXPECT_FALSE(modal.IsModal());
}

TEST(ModalDialog, NestedRunsLeaveTheOwnerToTheOuterRun) {
    TestDialog owner;
    ASSERT_TRUE(owner.Create());
    TestDialog outer(&owner, "outer");
    bool ownerEnabledBetween = true;
    outer.onInit = [&](TestDialog& o) {
        TestDialog inner(&o, "inner");
        inner.onInit = [](TestDialog& i) { i.EndDialog(IDOK); };
        EXPECT_EQ(inner.DoModal(), IDOK);
        EXPECT_TRUE(::IsWindowEnabled(o.m_hWnd));
        ownerEnabledBetween = ::IsWindowEnabled(owner.m_hWnd) != FALSE;
        o.EndDialog(IDOK);
    };
    EXPECT_EQ(outer.DoModal(), IDOK);
    EXPECT_FALSE(ownerEnabledBetween);
    EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd));
}

TEST(ModalDialog, WmQuitEndsTheRunAndIsPostedAgain) {
    TestDialog owner;
    ASSERT_TRUE(owner.Create());
    TestDialog modal(&owner);
    modal.onInit = [](TestDialog&) { ::PostQuitMessage(7); };
    EXPECT_EQ(modal.DoModal(), IDCANCEL);
    EXPECT_EQ(modal.m_hWnd, nullptr);
    EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd));
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(ModalDialog, CloseBoxAndEscapeCancel) {
    for (UINT how : {0u, 1u}) {
        TestDialog modal;
        modal.onInit = [how](TestDialog& d) {
            if (how == 0)
                ::PostMessageA(d.m_hWnd, WM_CLOSE, 0, 0);
            else
                ::PostMessageA(d.GetDlgItem(IDC_NUMBER), WM_KEYDOWN, VK_ESCAPE, 0);
        };
        EXPECT_EQ(modal.DoModal(), IDCANCEL) << "way " << how;
        EXPECT_EQ(modal.cancelCount, 1) << "way " << how;
    }
}

TEST(StaticControl, SubclassedLabelGetsItsMessagesAndAnswersColours) {
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create());
    HWND label = dlg.GetDlgItem(IDC_LABEL);
    ASSERT_EQ(dlg.label.m_hWnd, label) << "bound by DDX_Control at initialisation";
    EXPECT_EQ(CWnd::FromHandle(label), &dlg.label);
    ASSERT_TRUE(dlg.UpdateData(false));
    EXPECT_EQ(dlg.label.m_hWnd, label) << "bound once";
    TestLabel other;
    EXPECT_FALSE(other.SubclassDlgItem(IDC_LABEL, &dlg)) << "a control has one object";

    ::PostMessageA(label, WM_TEST_TO_LABEL, 0, 0);
    PumpFor(2000, [&] { return !dlg.label.received.empty(); });
    ASSERT_EQ(dlg.label.received.size(), 1u);
    // Default processing still reaches the static's own procedure.
    EXPECT_EQ(dlg.label.GetWindowTextA(), "Label text");

    HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
    dlg.label.brush = brush;
    HDC dc = ::GetDC(label);
    const LRESULT reflected = ::SendMessageA(dlg.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                             reinterpret_cast<LPARAM>(label));
    const LRESULT other_edit = ::SendMessageA(dlg.m_hWnd, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                              reinterpret_cast<LPARAM>(label));
    ::ReleaseDC(label, dc);
    EXPECT_EQ(reflected, reinterpret_cast<LRESULT>(brush));
    EXPECT_NE(other_edit, reinterpret_cast<LRESULT>(brush)) << "nullptr leaves the request to the dialog";

    dlg.label.UnsubclassWindow();
    EXPECT_EQ(CWnd::FromHandle(label), nullptr);
    ::PostMessageA(label, WM_TEST_TO_LABEL, 0, 0);
    PumpFor(200);
    EXPECT_EQ(dlg.label.received.size(), 1u) << "no messages after unsubclassing";
    ::DeleteObject(brush);
}

} // namespace
