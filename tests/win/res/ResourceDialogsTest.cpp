// The three dialog templates, instantiated: window styles, every control with its class, text,
// style bits and rectangle, and the tab order the program's users rely on.
#include "ResourceTestSupport.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using kvtest::ClassName;
using kvtest::TemplateWindow;
using kvtest::WindowText;

struct ControlRow {
    int id;
    const char* cls;
    const char* text; // nullptr: not checked (edits start empty)
    RECT dlu;         // x, y, width, height in dialog units
    DWORD set;        // style bits that must be set
    DWORD clear;      // style bits that must be clear
};

constexpr DWORD kEditKinds = ES_UPPERCASE | ES_NUMBER | ES_READONLY;

// Finds every row's control and compares it with the row.
void ExpectControls(HWND dlg, const std::vector<ControlRow>& rows) {
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "control " << row.id);
        HWND ctl = GetDlgItem(dlg, row.id);
        ASSERT_NE(ctl, nullptr);
        EXPECT_STREQ(ClassName(ctl).c_str(), row.cls);
        if (row.text) {
            EXPECT_EQ(WindowText(ctl), row.text);
        }
        DWORD style = static_cast<DWORD>(GetWindowLongA(ctl, GWL_STYLE));
        EXPECT_EQ(style & row.set, row.set) << std::hex << "style " << style;
        EXPECT_EQ(style & row.clear, 0u) << std::hex << "style " << style;

        // The dialog manager converts position and size separately, so must we.
        RECT want = row.dlu;
        MapDialogRect(dlg, &want);
        want.right += want.left;
        want.bottom += want.top;
        RECT got;
        GetWindowRect(ctl, &got);
        MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&got), 2);
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.top, want.top);
        EXPECT_EQ(got.right, want.right);
        EXPECT_EQ(got.bottom, want.bottom);
    }
}

// The control ids met by Tab from `first` until it comes round again.
std::vector<int> TabCycle(HWND dlg, int first) {
    std::vector<int> ids;
    HWND start = GetDlgItem(dlg, first);
    HWND ctl = start;
    do {
        ids.push_back(GetDlgCtrlID(ctl));
        ctl = GetNextDlgTabItem(dlg, ctl, FALSE);
    } while (ctl && ctl != start && ids.size() < 100);
    return ids;
}

std::multiset<std::string> StaticTexts(HWND dlg) {
    std::multiset<std::string> texts;
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetDlgCtrlID(c) == -1 || GetDlgCtrlID(c) == 0xFFFF)
            texts.insert(WindowText(c));
    return texts;
}

std::string FontFace(HWND dlg) {
    LOGFONTA lf = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf.lfFaceName;
}

void ExpectClientSize(HWND dlg, LONG w, LONG h) {
    RECT want = {0, 0, w, h};
    MapDialogRect(dlg, &want);
    RECT got;
    GetClientRect(dlg, &got);
    EXPECT_EQ(got.right, want.right);
    EXPECT_EQ(got.bottom, want.bottom);
}

DWORD Style(HWND w) {
    return static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE));
}

constexpr DWORD kButtonType = BS_TYPEMASK;

TEST(SettingsTemplate, IsAnInvisibleTaskbarWindowWithSystemMenuOnly) {
    TemplateWindow dlg(IDD_KVREMOTE_DIALOG);
    ASSERT_NE(dlg.get(), nullptr);
    DWORD style = Style(dlg.get());
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU), DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_VISIBLE | WS_CHILD), 0u);
    EXPECT_TRUE(GetWindowLongA(dlg.get(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(WindowText(dlg.get()), "kvRemote");
    EXPECT_EQ(FontFace(dlg.get()), "MS Shell Dlg");
    ExpectClientSize(dlg.get(), 229, 311);
}

TEST(SettingsTemplate, ControlsHaveTheirKindTextStyleAndPlace) {
    TemplateWindow dlg(IDD_KVREMOTE_DIALOG);
    ASSERT_NE(dlg.get(), nullptr);
    const DWORD tab = WS_TABSTOP;
    const DWORD check = BS_AUTOCHECKBOX;
    ExpectControls(
        dlg.get(),
        {
            {1016, "Button", "Use auxiliary keyboard(s)", {19, 22, 150, 10}, check | tab, 0},
            {1017, "Button", "Setup...", {176, 20, 38, 14}, tab, kButtonType},
            {1018, "Static", nullptr, {19, 36, 195, 8}, 0, tab},
            {1013, "Edit", nullptr, {105, 49, 66, 12}, ES_UPPERCASE, tab | ES_NUMBER | ES_READONLY},
            {1015, "Button", "Default", {176, 48, 38, 14}, 0, tab | kButtonType},
            {1011, "Edit", nullptr, {105, 64, 21, 12}, ES_NUMBER | tab, ES_UPPERCASE | ES_READONLY},
            {1022, "Button", "Use auxiliary mouse(s)", {19, 100, 150, 10}, check | tab, 0},
            {1023, "Button", "Setup...", {176, 97, 38, 14}, tab, kButtonType},
            {1024, "Static", nullptr, {19, 113, 195, 8}, 0, tab},
            {1020, "Edit", nullptr, {105, 126, 66, 12}, ES_UPPERCASE, tab | ES_NUMBER | ES_READONLY},
            {1021, "Button", "Default", {176, 126, 38, 14}, 0, tab | kButtonType},
            {1019, "Edit", nullptr, {105, 142, 21, 12}, ES_NUMBER | tab, ES_UPPERCASE | ES_READONLY},
            {1005, "Edit", nullptr, {105, 176, 66, 12}, tab | ES_AUTOHSCROLL, kEditKinds},
            {1006, "Button", "Default", {176, 175, 38, 14}, 0, tab | kButtonType},
            {1007, "Edit", nullptr, {105, 191, 28, 12}, ES_NUMBER | tab, ES_UPPERCASE | ES_READONLY},
            {1008, "Button", "Default", {176, 190, 38, 14}, 0, tab | kButtonType},
            {1009, "Edit", nullptr, {105, 206, 65, 12}, ES_UPPERCASE | tab, ES_NUMBER | ES_READONLY},
            {1010, "Button", "Default", {176, 205, 38, 14}, 0, tab | kButtonType},
            {1014, "Edit", nullptr, {105, 241, 66, 12}, ES_AUTOHSCROLL, tab | kEditKinds},
            {1012, "Edit", nullptr, {105, 257, 109, 12}, ES_READONLY, tab | ES_NUMBER | ES_UPPERCASE},
            {IDCANCEL, "Button", "Cancel", {29, 281, 50, 14}, tab, kButtonType},
            {IDC_APPLY, "Button", "Apply", {89, 282, 50, 14}, tab, kButtonType},
            // An ordinary push button, not drawn as the default one.
            {IDOK, "Button", "OK", {149, 281, 50, 14}, tab, kButtonType},
        });
    // The status lines are filled at run time; the template leaves them empty.
    EXPECT_EQ(WindowText(GetDlgItem(dlg.get(), 1018)), "");
    EXPECT_EQ(WindowText(GetDlgItem(dlg.get(), 1024)), "");
}

TEST(SettingsTemplate, LabelsAndFramesCarryTheirTexts) {
    TemplateWindow dlg(IDD_KVREMOTE_DIALOG);
    ASSERT_NE(dlg.get(), nullptr);
    std::multiset<std::string> want = {"Keyboard(s)",
                                       "Text command:",
                                       "Device index (0-255):",
                                       "(Main keyboard only)",
                                       "Mouse(s)",
                                       "Text command:",
                                       "Device index (0-255):",
                                       "(Main mouse only)",
                                       "Korvane networking",
                                       "Broadcast address:",
                                       "Port:",
                                       "Application ID:",
                                       "Remote command",
                                       "Destination (optional):",
                                       "Last command sent:"};
    EXPECT_EQ(StaticTexts(dlg.get()), want);
}

TEST(SettingsTemplate, TabRunsThroughTheStopsInTheirOrder) {
    TemplateWindow dlg(IDD_KVREMOTE_DIALOG);
    ASSERT_NE(dlg.get(), nullptr);
    std::vector<int> want = {1016, 1017, 1011, 1023, 1019, 1005, 1007, 1009, IDOK, IDCANCEL, 1022, 12321};
    EXPECT_EQ(TabCycle(dlg.get(), 1016), want);
}

struct SlotRow {
    int check, led, edit;
    bool right;
    int row;
};

const SlotRow kSlots[] = {
    {1019, 1023, 1020, false, 0}, {1025, 1029, 1026, false, 1}, {1031, 1035, 1032, false, 2},
    {1037, 1041, 1038, false, 3}, {1043, 1047, 1044, false, 4}, {1021, 1024, 1022, true, 0},
    {1027, 1030, 1028, true, 1},  {1033, 1036, 1034, true, 2},  {1039, 1042, 1040, true, 3},
    {1045, 1048, 1046, true, 4},
};

TEST(SetupTemplate, IsAModalFrameWithCaptionInSansSerif) {
    TemplateWindow dlg(IDD_AUXDEVICES);
    ASSERT_NE(dlg.get(), nullptr);
    DWORD style = Style(dlg.get());
    EXPECT_EQ(style & (DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU),
              DWORD(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(WindowText(dlg.get()), "Keyboards setup");
    EXPECT_EQ(FontFace(dlg.get()), "MS Sans Serif");
    ExpectClientSize(dlg.get(), 311, 202);
}

TEST(SetupTemplate, EverySlotHasLedCheckBoxAndIndexEditInItsRow) {
    TemplateWindow dlg(IDD_AUXDEVICES);
    ASSERT_NE(dlg.get(), nullptr);
    const LONG ledY[] = {93, 108, 122, 138, 153};
    const LONG checkY[] = {94, 109, 123, 139, 154};
    const LONG editY[] = {92, 107, 122, 137, 152};
    std::vector<ControlRow> rows;
    std::vector<std::string> texts;
    texts.reserve(10); // rows point into it
    for (const auto& s : kSlots) {
        const LONG dx = s.right ? 152 : 0;
        texts.push_back("XXX/XXX/" + std::to_string(texts.size() + 1));
        rows.push_back({s.led, "Static", "O", {17 + dx, ledY[s.row], 8, 8}, 0, WS_TABSTOP});
        rows.push_back({s.check,
                        "Button",
                        texts.back().c_str(),
                        {31 + dx, checkY[s.row], 64, 8},
                        BS_AUTOCHECKBOX | WS_TABSTOP,
                        0});
        rows.push_back({s.edit,
                        "Edit",
                        nullptr,
                        {122 + dx, editY[s.row], 18, 12},
                        WS_TABSTOP | ES_AUTOHSCROLL,
                        ES_NUMBER});
    }
    rows.push_back({IDOK, "Button", "OK", {93, 179, 50, 16}, BS_DEFPUSHBUTTON, 0});
    rows.push_back({IDCANCEL, "Button", "Cancel", {167, 179, 50, 16}, 0, kButtonType});
    rows.push_back({IDC_SETUP_GROUP, "Button", "Keyboards", {7, 78, 297, 92}, BS_GROUPBOX, 0});
    rows.push_back({IDC_SETUP_INSTRUCTIONS, "Static", nullptr, {14, 20, 280, 48}, 0, WS_TABSTOP});
    ExpectControls(dlg.get(), rows);
}

TEST(SetupTemplate, TabVisitsIndexEditsThenButtonsThenCheckBoxesRowByRow) {
    TemplateWindow dlg(IDD_AUXDEVICES);
    ASSERT_NE(dlg.get(), nullptr);
    std::vector<int> want = {1020,     1026, 1032, 1038, 1044, 1022, 1028, 1034, 1040, 1046, IDOK,
                             IDCANCEL, 1019, 1021, 1025, 1027, 1031, 1033, 1037, 1039, 1043, 1045};
    EXPECT_EQ(TabCycle(dlg.get(), 1020), want);
}

TEST(AboutTemplate, IsABorderlessPopupWithIconLabelAndNotice) {
    TemplateWindow dlg(IDD_ABOUTBOX);
    ASSERT_NE(dlg.get(), nullptr);
    DWORD style = Style(dlg.get());
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_EQ(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | DS_MODALFRAME), 0u);
    EXPECT_EQ(GetWindowLongA(dlg.get(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, 0);
    EXPECT_EQ(FontFace(dlg.get()), "MS Shell Dlg");
    ExpectClientSize(dlg.get(), 222, 54);

    // No control has the notify style, so a click anywhere reaches the box and closes it.
    ExpectControls(dlg.get(), {{IDC_ABOUT_LABEL, "Static", "Static", {44, 7, 171, 15}, 0, SS_NOTIFY}});
    int icons = 0, notices = 0;
    for (HWND c = GetWindow(dlg.get(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        EXPECT_EQ(Style(c) & SS_NOTIFY, 0u) << GetDlgCtrlID(c);
        if ((Style(c) & SS_TYPEMASK) == SS_ICON) {
            ++icons;
            EXPECT_NE(SendMessageA(c, STM_GETICON, 0, 0), 0);
        } else if (GetDlgCtrlID(c) != IDC_ABOUT_LABEL) {
            ++notices;
            EXPECT_NE(WindowText(c).find('\n'), std::string::npos) << "two short lines";
        }
    }
    EXPECT_EQ(icons, 1);
    EXPECT_EQ(notices, 1);
}

} // namespace
