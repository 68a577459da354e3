// The dialog templates as a user meets them: every text, the template's own and those the
// program puts in at run time, fits its control in the dialog's font; Tab visits the stops in
// their order; the default button is the one Enter presses.
#include "DialogSize.h"
#include "ResourceTestSupport.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kvtest::ClassName;
using kvtest::LoadText;
using kvtest::TemplateWindow;
using kvtest::WindowText;

// The first "%s" or "%d" of a string-table text replaced by value.
std::string Filled(UINT id, const std::string& value) {
    std::string text = LoadText(id);
    const std::size_t at = text.find('%');
    if (at != std::string::npos && at + 1 < text.size())
        text.replace(at, 2, value);
    return text;
}

DWORD Style(HWND w) {
    return static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE));
}

// Whether text, drawn as the control draws it in the dialog's font (or in font), stays inside
// the control.
testing::AssertionResult Fits(HWND dlg, HWND control, const std::string& text, HFONT font = nullptr) {
    const DWORD style = Style(control);
    const std::string cls = ClassName(control);
    const bool button = cls == "Button";
    const DWORD type = style & BS_TYPEMASK;
    RECT client;
    GetClientRect(control, &client);
    LONG width = client.right;
    LONG height = client.bottom;
    if (button && (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX)) {
        // The box and the gap before the text.
        width -= GetSystemMetrics(SM_CXMENUCHECK) + 4;
    } else if (button && type != BS_GROUPBOX) {
        width -= 2 * GetSystemMetrics(SM_CXEDGE) + 2; // a push button's frame
        height -= 2 * GetSystemMetrics(SM_CYEDGE);
    } else if (button) {
        width -= 16; // a frame's title runs along its top edge between the corners
    }

    HDC dc = GetDC(dlg);
    HGDIOBJ old =
        SelectObject(dc, font ? font : reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    const bool multiLine = !button && height >= 2 * metrics.tmHeight;
    RECT need = {0, 0, width, 0};
    UINT format = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS;
    format |= multiLine ? DT_WORDBREAK : DT_SINGLELINE;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &need, format);
    SelectObject(dc, old);
    ReleaseDC(dlg, dc);

    const bool fits =
        need.right <= width && (multiLine ? need.bottom <= height : need.bottom <= client.bottom);
    if (fits)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "\"" << text << "\" needs " << need.right << " x " << need.bottom << ", control "
           << GetDlgCtrlID(control) << " has " << width << " x " << height;
}

// Every child with a text of its own: labels, frames, buttons and check boxes.
void ExpectTemplateTextsFit(HWND dlg) {
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const std::string text = WindowText(c);
        if (text.empty() || ClassName(c) == "Edit" || (Style(c) & SS_TYPEMASK) == SS_ICON)
            continue;
        EXPECT_TRUE(Fits(dlg, c, text));
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

// The buttons drawn as the default one.
std::vector<int> DefaultButtons(HWND dlg) {
    std::vector<int> ids;
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (ClassName(c) == "Button" && (Style(c) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            ids.push_back(GetDlgCtrlID(c));
    return ids;
}

TEST(SettingsDialog, EveryTextFitsItsControl) {
    TemplateWindow dlg(IDD_KVREMOTE_DIALOG);
    ASSERT_NE(dlg.get(), nullptr);
    uitest::ExpectTemplateSize(dlg.get(), IDD_KVREMOTE_DIALOG); // and the run has its DPI
    ExpectTemplateTextsFit(dlg.get());
    // The status lines, with the largest count the driver can report.
    const HWND keyboards = GetDlgItem(dlg.get(), IDC_KEYB_STATUS);
    const HWND mice = GetDlgItem(dlg.get(), IDC_MOUSE_STATUS);
    EXPECT_TRUE(Fits(dlg.get(), keyboards, Filled(IDS_STATUS_KEYBOARDS_FOUND, "10")));
    EXPECT_TRUE(Fits(dlg.get(), keyboards, LoadText(IDS_STATUS_KEYBOARDS_NODRIVER)));
    EXPECT_TRUE(Fits(dlg.get(), mice, Filled(IDS_STATUS_MICE_FOUND, "10")));
    EXPECT_TRUE(Fits(dlg.get(), mice, LoadText(IDS_STATUS_MICE_NODRIVER)));
}

TEST(SettingsDialog, TabRunsThroughTheStopsInTheirOrderAndNoButtonIsTheDefault) {
    TemplateWindow dlg(IDD_KVREMOTE_DIALOG);
    ASSERT_NE(dlg.get(), nullptr);
    const std::vector<int> want = {IDC_KEYB_USE_AUX,
                                   IDC_KEYB_SETUP,
                                   IDC_KEYB_RELEASE_CMD,
                                   IDC_KEYB_MAIN_INDEX,
                                   IDC_MOUSE_SETUP,
                                   IDC_MOUSE_MAIN_INDEX,
                                   IDC_BROADCAST_ADDRESS,
                                   IDC_PORT,
                                   IDC_APPLICATION_ID,
                                   IDC_CONNECTIONS,
                                   IDOK,
                                   IDCANCEL,
                                   IDC_MOUSE_USE_AUX,
                                   IDC_APPLY};
    EXPECT_EQ(TabCycle(dlg.get(), IDC_KEYB_USE_AUX), want);
    // Enter in an edit must not press OK: the window hides on OK.
    EXPECT_TRUE(DefaultButtons(dlg.get()).empty());
}

TEST(ConnectionsDialog, EveryTextFitsItsControlTabVisitsTheFieldsThenTheButtonsAndOkIsTheDefault) {
    TemplateWindow dlg(IDD_CONNECTIONS);
    ASSERT_NE(dlg.get(), nullptr);
    uitest::ExpectTemplateSize(dlg.get(), IDD_CONNECTIONS);
    ExpectTemplateTextsFit(dlg.get());
    // The longest client id and a broker's name of some length.
    EXPECT_TRUE(
        Fits(dlg.get(), GetDlgItem(dlg.get(), IDC_MQTT_STATUS),
             Filled(IDS_CONNECTION_CONNECTED, "mqtt.home.example.net:1883") + " as kvremoteABCDEFGHIJKLMNO"));
    EXPECT_EQ(TabCycle(dlg.get(), IDC_STATION),
              (std::vector<int>{IDC_STATION, IDC_COMPANION_HOST, IDC_COMPANION_PORT, IDC_COMPANION_LAYOUT,
                                IDC_MQTT_HOST, IDC_MQTT_PORT, IDC_MQTT_TLS, IDC_MQTT_USER, IDC_MQTT_PASSWORD,
                                IDC_MQTT_TOPIC, IDC_MQTT_KEEP_ALIVE, IDC_MQTT_CA_FILE, IDC_MQTT_CA_BROWSE,
                                IDC_MQTT_DISCOVERY, IDC_MQTT_DISCOVERY_PREFIX, IDC_MQTT_TRIGGERS,
                                IDC_MQTT_DOUBLE_MS, IDC_MQTT_LONG_MS, IDOK, IDCANCEL}));
    EXPECT_EQ(DefaultButtons(dlg.get()), std::vector<int>{IDOK});
    // A status line as long as Windows makes them, for a long address.
    const std::string refused =
        "cannot reach 192.168.100.200:16622 (No connection could be made because the target machine "
        "actively refused it.), retrying";
    EXPECT_TRUE(Fits(dlg.get(), GetDlgItem(dlg.get(), IDC_COMPANION_STATUS), refused));
}

TEST(SetupDialog, EveryTextFitsItsControlForKeyboardsAndMice) {
    TemplateWindow dlg(IDD_AUXDEVICES);
    ASSERT_NE(dlg.get(), nullptr);
    ExpectTemplateTextsFit(dlg.get());
    const HWND instructions = GetDlgItem(dlg.get(), IDC_SETUP_INSTRUCTIONS);
    const HWND group = GetDlgItem(dlg.get(), IDC_SETUP_GROUP);
    for (UINT id : {IDS_SETUP_INSTRUCTIONS_KEYBOARDS, IDS_SETUP_INSTRUCTIONS_MICE})
        EXPECT_TRUE(Fits(dlg.get(), instructions, LoadText(id)));
    for (UINT id : {IDS_SETUP_GROUP_KEYBOARDS, IDS_SETUP_GROUP_MICE})
        EXPECT_TRUE(Fits(dlg.get(), group, LoadText(id)));
    // The widest port labels a slot's check box can carry.
    for (int check : {IDC_SLOT1_CHECK, IDC_SLOT10_CHECK}) {
        const HWND box = GetDlgItem(dlg.get(), check);
        for (UINT id : {IDS_PORT_PS2, IDS_PORT_USB, IDS_PORT_UNKNOWN})
            EXPECT_TRUE(Fits(dlg.get(), box, Filled(id, "10")));
        EXPECT_TRUE(Fits(dlg.get(), box, LoadText(IDS_NOT_DEFINED)));
    }
}

TEST(SetupDialog, TabVisitsIndexEditsThenButtonsThenCheckBoxesAndOkIsTheDefault) {
    TemplateWindow dlg(IDD_AUXDEVICES);
    ASSERT_NE(dlg.get(), nullptr);
    const std::vector<int> want = {IDC_SLOT1_INDEX,
                                   IDC_SLOT2_INDEX,
                                   IDC_SLOT3_INDEX,
                                   IDC_SLOT4_INDEX,
                                   IDC_SLOT5_INDEX,
                                   IDC_SLOT6_INDEX,
                                   IDC_SLOT7_INDEX,
                                   IDC_SLOT8_INDEX,
                                   IDC_SLOT9_INDEX,
                                   IDC_SLOT10_INDEX,
                                   IDOK,
                                   IDCANCEL,
                                   IDC_SLOT1_CHECK,
                                   IDC_SLOT6_CHECK,
                                   IDC_SLOT2_CHECK,
                                   IDC_SLOT7_CHECK,
                                   IDC_SLOT3_CHECK,
                                   IDC_SLOT8_CHECK,
                                   IDC_SLOT4_CHECK,
                                   IDC_SLOT9_CHECK,
                                   IDC_SLOT5_CHECK,
                                   IDC_SLOT10_CHECK};
    EXPECT_EQ(TabCycle(dlg.get(), IDC_SLOT1_INDEX), want);
    EXPECT_EQ(DefaultButtons(dlg.get()), std::vector<int>{IDOK});
}

TEST(AboutBox, TheNoticeAndTheVersionLineFitAndNothingTakesAClick) {
    TemplateWindow dlg(IDD_ABOUTBOX);
    ASSERT_NE(dlg.get(), nullptr);
    ExpectTemplateTextsFit(dlg.get());
    // The version line, in the label's large bold type (the GUI font 18 pixels high at 96 DPI, as
    // much larger as the screen's text).
    LOGFONTA large{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof large, &large);
    large.lfWeight = FW_BOLD;
    HDC screen = GetDC(nullptr);
    large.lfHeight = -MulDiv(18, GetDeviceCaps(screen, LOGPIXELSY), 96);
    ReleaseDC(nullptr, screen);
    HFONT font = CreateFontIndirectA(&large);
    EXPECT_TRUE(Fits(dlg.get(), GetDlgItem(dlg.get(), IDC_ABOUT_LABEL),
                     Filled(IDS_ABOUT_VERSION, LoadText(IDS_VERSION)), font));
    DeleteObject(font);
    // No control has the notify style, so a click anywhere reaches the box and closes it.
    for (HWND c = GetWindow(dlg.get(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        EXPECT_EQ(Style(c) & SS_NOTIFY, 0u) << GetDlgCtrlID(c);
    EXPECT_TRUE(DefaultButtons(dlg.get()).empty());
}

} // namespace
