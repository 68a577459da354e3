// The about box under Wine: its text and font, and every way it ends.
#include "UiTestSupport.h"

#include "DialogSize.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

constexpr UINT kRunScript = WM_APP + 1;

// Runs script inside the modal loop, once the box is initialised.
class ScriptedAbout : public CAboutDlg {
public:
    explicit ScriptedAbout(std::function<void(ScriptedAbout&)> script, HWND endWith = nullptr)
        : CAboutDlg(endWith), m_script(std::move(script)) {}

    bool OnInitDialog() override {
        const bool result = CAboutDlg::OnInitDialog();
        ::PostMessageA(m_hWnd, kRunScript, 0, 0);
        return result;
    }
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        if (message == kRunScript && m_script) {
            m_script(*this);
            handled = true;
            return 0;
        }
        return CAboutDlg::OnMessage(message, wParam, lParam, handled);
    }

private:
    std::function<void(ScriptedAbout&)> m_script;
};

TEST(AboutDlgTest, ShowsTheVersionInBoldEighteenPixelTypeAndClosesOnAClick) {
    std::string text;
    LOGFONTA font{};
    LRESULT labelHit = 0;
    ScriptedAbout box([&](ScriptedAbout& dlg) {
        text = dlg.m_label.GetWindowTextA();
        auto shown = reinterpret_cast<HFONT>(::SendMessageA(dlg.m_label, WM_GETFONT, 0, 0));
        ::GetObjectA(shown, sizeof font, &font);
        RECT r;
        ::GetWindowRect(dlg.m_label, &r);
        labelHit = ::SendMessageA(dlg.m_label, WM_NCHITTEST, 0,
                                  MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        ::PostMessageA(dlg, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    });
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(box.DoModal(), IDOK);
    EXPECT_LT(::GetTickCount() - start, 4000u);
    EXPECT_EQ(text, "kvRemote version 2.0");
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(font.lfHeight, -18);
    LOGFONTA gui{};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
    EXPECT_STREQ(font.lfFaceName, gui.lfFaceName);
    // A click on the version text goes through it to the box, and opens nothing.
    EXPECT_EQ(labelHit, HTTRANSPARENT);
}

// The version in type 18 pixels high at 96 DPI and as much larger as the screen's text, in a box
// of the template's size.
TEST(AboutDlgTest, LayoutFollowsTheScreenDpi) {
    LONG height = 0;
    ScriptedAbout box([&](ScriptedAbout& dlg) {
        uitest::ExpectTemplateSize(dlg, IDD_ABOUTBOX);
        LOGFONTA font{};
        ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(dlg.m_label, WM_GETFONT, 0, 0)), sizeof font,
                     &font);
        height = font.lfHeight;
        ::PostMessageA(dlg, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    });
    box.DoModal();
    EXPECT_EQ(height, -::MulDiv(18, uitest::ScreenDpi(), 96));
}

TEST(AboutDlgTest, OnlyItsOwnTimerClosesIt) {
    bool openAfterOtherTimer = false;
    int step = 0;
    ScriptedAbout box([&](ScriptedAbout& dlg) {
        if (step++ == 0) {
            ::PostMessageA(dlg, WM_TIMER, 7, 0);
            ::PostMessageA(dlg, kRunScript, 0, 0);
        } else {
            openAfterOtherTimer = ::IsWindow(dlg) != FALSE;
            ::PostMessageA(dlg, WM_TIMER, TimerIdValue(AboutTimer::Close), 0);
        }
    });
    EXPECT_EQ(box.DoModal(), IDOK);
    EXPECT_TRUE(openAfterOtherTimer);
    EXPECT_EQ(step, 2);
}

TEST(AboutDlgTest, ClosesByItselfAfterFiveSeconds) {
    ScriptedAbout box(nullptr);
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(box.DoModal(), IDOK);
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_GE(elapsed, 4800u);
    EXPECT_LT(elapsed, 30000u);
}

TEST(AboutDlgTest, EndsWhenTheWindowItBelongsToIsDestroyed) {
    uitest::StaticHost main(10, 10);
    HWND mainWnd = main.parent();
    ScriptedAbout box([&](ScriptedAbout&) { ::DestroyWindow(mainWnd); }, mainWnd);
    const DWORD start = ::GetTickCount();
    box.DoModal();
    EXPECT_LT(::GetTickCount() - start, 4000u);
    EXPECT_FALSE(::IsWindow(mainWnd));
    EXPECT_EQ(box.m_hWnd, nullptr);
}

TEST(AboutDlgTest, AQuitEndsItAndReachesTheOuterLoop) {
    ScriptedAbout box([](ScriptedAbout&) { ::PostQuitMessage(3); });
    const DWORD start = ::GetTickCount();
    box.DoModal();
    EXPECT_LT(::GetTickCount() - start, 4000u);
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

} // namespace
