#pragma once
// A live dialog against its template at the run's DPI: its client area is the template's size in
// dialog units mapped to pixels (MapDialogRect), within 2 pixels. The layout suites run at 96 DPI
// and again in a prefix of 144 DPI, where KV_EXPECT_DPI names the DPI the run must find.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace uitest {

inline int ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

inline void ExpectTemplateSize(HWND dlg, int templateId) {
    SCOPED_TRACE(testing::Message() << "dialog " << templateId << " at " << ScreenDpi() << " DPI");
    if (const char* want = std::getenv("KV_EXPECT_DPI")) {
        EXPECT_EQ(ScreenDpi(), std::atoi(want)) << "the prefix's LogPixels did not take";
    }
    const HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC res = ::FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    ASSERT_NE(res, nullptr);
    const auto* words = static_cast<const WORD*>(::LockResource(::LoadResource(module, res)));
    // DLGTEMPLATEEX: dlgVer 1, signature 0xFFFF, helpID, exStyle, style, cDlgItems, x, y, cx, cy;
    // DLGTEMPLATE: style, exStyle, cdit, x, y, cx, cy.
    const WORD* size = words + (words[0] == 1 && words[1] == 0xFFFF ? 11 : 7);
    RECT want = {0, 0, static_cast<short>(size[0]), static_cast<short>(size[1])};
    ::MapDialogRect(dlg, &want);
    RECT got;
    ::GetClientRect(dlg, &got);
    EXPECT_NEAR(got.right, want.right, 2);
    EXPECT_NEAR(got.bottom, want.bottom, 2);
}

} // namespace uitest
