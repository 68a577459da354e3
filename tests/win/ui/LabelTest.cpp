// The label's blinking, which the about box does not use, and its colour answer.
#include "UiTestSupport.h"

#include "ui/Label.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct LabelHost {
    LabelHost() : statics(100, 20) {
        parent.m_hWnd = statics.parent();
        EXPECT_TRUE(label.SubclassDlgItem(uitest::StaticHost::kControlId, &parent));
        label.SetWindowTextA("kvRemote");
    }
    ~LabelHost() {
        label.UnsubclassWindow();
        parent.m_hWnd = nullptr;
    }
    uitest::StaticHost statics;
    CWnd parent;
    CLabel label;
};

TEST(LabelTest, TextBlinkAlternatesStartingWithEmpty) {
    LabelHost host;
    host.label.SetBlink(CLabel::BlinkText, "kvRemote");
    std::vector<std::string> seen;
    for (int tick = 0; tick < 4; ++tick) {
        ::SendMessageA(host.label, WM_TIMER, 1, 0);
        seen.push_back(host.label.GetWindowTextA());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"", "kvRemote", "", "kvRemote"}));
}

TEST(LabelTest, BackgroundBlinkSwitchesBrushesAndNoBlinkKeepsOne) {
    LabelHost host;
    HBRUSH normal = ::CreateSolidBrush(RGB(1, 2, 3));
    HBRUSH blink = ::CreateSolidBrush(RGB(4, 5, 6));
    host.label.SetBackground(normal, blink);
    HDC dc = ::GetDC(host.label);

    EXPECT_EQ(host.label.CtlColorReflect(dc, CTLCOLOR_STATIC), normal);
    EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_FONT), host.label.Font());
    EXPECT_EQ(host.label.CtlColorReflect(dc, CTLCOLOR_EDIT), nullptr);

    host.label.SetBlink(CLabel::BlinkBackground, {});
    EXPECT_EQ(host.label.CtlColorReflect(dc, CTLCOLOR_STATIC), blink);
    ::SendMessageA(host.label, WM_TIMER, 1, 0);
    EXPECT_EQ(host.label.CtlColorReflect(dc, CTLCOLOR_STATIC), normal);
    ::SendMessageA(host.label, WM_TIMER, 1, 0);
    EXPECT_EQ(host.label.CtlColorReflect(dc, CTLCOLOR_STATIC), blink);
    EXPECT_EQ(host.label.GetWindowTextA(), "kvRemote");

    // The same brushes handed again are kept, not freed under the label.
    host.label.SetBackground(normal, blink);
    EXPECT_EQ(::GetObjectType(normal), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(::GetObjectType(blink), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(host.label.CtlColorReflect(dc, CTLCOLOR_STATIC), blink);
    ::ReleaseDC(host.label, dc);
}

} // namespace
