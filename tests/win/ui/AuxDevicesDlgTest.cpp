// The setup dialog under Wine, over a prepared device table and a settings file in a temporary
// folder: what the slots show, the check boxes, OK with its all-or-nothing rule, events and keys.
#include "DialogSize.h"
#include "UiTestSupport.h"

#include "settings/IniProfileStore.h"
#include "settings/SettingIds.h"
#include "capture/AuxInputMessage.h"
#include "res/resource.h"
#include "ui/AuxDevicesDlg.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr UINT kRunScript = WM_APP + 1;

struct RecordingBoxes : MessageBoxes {
    std::vector<std::pair<std::string, UINT>> shown;
    int Show(HWND, const std::string& text, UINT type) override {
        shown.emplace_back(text, type);
        return IDOK;
    }
    int ShowUtf8(HWND owner, const std::string& text, UINT type) override { return Show(owner, text, type); }
};

// Runs the script inside the modal loop once the dialog is initialised; records the error boxes
// instead of showing them unless realBoxes is set.
class ScriptedSetup : public CAuxDevicesDlg {
public:
    using Script = std::function<void(ScriptedSetup&)>;
    ScriptedSetup(DeviceClass c, AuxDevicesModel model, Script script)
        : CAuxDevicesDlg(nullptr, c, std::move(model)), m_script(std::move(script)) {}

    std::vector<UINT> errors;
    bool realBoxes = false;

    bool OnInitDialog() override {
        const bool result = CAuxDevicesDlg::OnInitDialog();
        ::PostMessageA(m_hWnd, kRunScript, 0, 0);
        return result;
    }
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        if (message == kRunScript) {
            m_script(*this);
            handled = true;
            return 0;
        }
        return CAuxDevicesDlg::OnMessage(message, wParam, lParam, handled);
    }
    void ShowError(UINT textId) override {
        errors.push_back(textId);
        if (realBoxes)
            CAuxDevicesDlg::ShowError(textId);
    }

    void Click(int id) { ::SendMessageA(GetDlgItem(id), BM_CLICK, 0, 0); }
    void PressOk() { ::SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }
    bool Enabled(int id) const { return ::IsWindowEnabled(GetDlgItem(id)) != FALSE; }
    // Cancels unless the script already ended the dialog.
    void Finish() { ::PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }

private:
    Script m_script;
};

class AuxDevicesDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        iniPath = dir.File("kvRemote.ini");
        names.Fill();
        ClearDeviceTable(table);
        // Keyboards: USB at 2 and 5 (5 auxiliary with index 7), PS/2 at 3; mice: one at 12.
        table[2].hardwareId = "HID\\VID_046D&PID_C31C";
        table[3].hardwareId = "ACPI\\PNP0303";
        table[5].hardwareId = "HID\\VID_413C&PID_2107";
        table[5].index.store(7);
        table[12].hardwareId = "HID\\VID_046D&PID_C077";
    }

    INT_PTR Run(DeviceClass c, ScriptedSetup::Script script, std::vector<UINT>* errors = nullptr,
                bool realBoxes = false) {
        IniProfileStore store(iniPath);
        Settings settings(store, names);
        ScriptedSetup dlg(c, AuxDevicesModel{table, settings, iniPath, boxes}, std::move(script));
        dlg.realBoxes = realBoxes;
        const INT_PTR result = dlg.DoModal();
        if (errors)
            *errors = dlg.errors;
        return result;
    }

    void WriteIni(const std::string& text) { std::ofstream(iniPath, std::ios::binary) << text; }

    TempDir dir;
    std::string iniPath;
    SettingNames names;
    DeviceTable table;
    RecordingBoxes boxes;
};

TEST_F(AuxDevicesDlgTest, SlotsShowThePreparedTable) {
    Run(DEVICE_CLASS_KEYBOARDS, [](ScriptedSetup& d) {
        EXPECT_EQ(d.GetWindowTextA(), "Keyboards setup");
        EXPECT_EQ(d.GetItemText(IDC_SETUP_GROUP), "Keyboards");
        EXPECT_EQ(d.GetItemText(IDC_SETUP_INSTRUCTIONS).rfind("- Spot the keyboards", 0), 0u);

        struct Row {
            int check, edit, ledSlot;
            const char* label;
            bool enabled, checked, editEnabled;
            const char* index;
            int ledState;
        };
        const Row rows[] = {
            {IDC_SLOT1_CHECK, IDC_SLOT1_INDEX, 0, "Not Defined", false, false, false, "", LED_DISABLED},
            {IDC_SLOT2_CHECK, IDC_SLOT2_INDEX, 1, "USB Port #1", true, false, false, "", LED_OFF},
            {IDC_SLOT3_CHECK, IDC_SLOT3_INDEX, 2, "PS/2 Port #1", true, false, false, "", LED_OFF},
            {IDC_SLOT5_CHECK, IDC_SLOT5_INDEX, 4, "USB Port #2", true, true, true, "7", LED_OFF},
            {IDC_SLOT10_CHECK, IDC_SLOT10_INDEX, 9, "Not Defined", false, false, false, "", LED_DISABLED},
        };
        for (const Row& r : rows) {
            SCOPED_TRACE(r.check);
            EXPECT_EQ(d.GetItemText(r.check), r.label);
            EXPECT_EQ(d.Enabled(r.check), r.enabled);
            EXPECT_EQ(d.IsItemChecked(r.check), r.checked);
            EXPECT_EQ(d.Enabled(r.edit), r.editEnabled);
            EXPECT_EQ(d.GetItemText(r.edit), r.index);
            EXPECT_EQ(d.m_leds[r.ledSlot].m_state, r.ledState);
            EXPECT_EQ(d.m_leds[r.ledSlot].m_colour, LED_GREEN);
            EXPECT_EQ(d.m_leds[r.ledSlot].m_shape, LED_SQUARE);
        }
        d.Finish();
    });
}

TEST_F(AuxDevicesDlgTest, MiceDialogUsesDevicesElevenToTwenty) {
    Run(DEVICE_CLASS_MICE, [](ScriptedSetup& d) {
        EXPECT_EQ(d.GetWindowTextA(), "Mouses setup");
        EXPECT_EQ(d.GetItemText(IDC_SETUP_GROUP), "Mouses");
        EXPECT_EQ(d.GetItemText(IDC_SLOT1_CHECK), "Not Defined");
        EXPECT_EQ(d.GetItemText(IDC_SLOT2_CHECK), "USB Port #1");
        EXPECT_TRUE(d.Enabled(IDC_SLOT2_CHECK));
        d.Finish();
    });
}

// The dialog is its template's size at the run's DPI, and each LED control shows its whole
// picture: the 12 x 12 pixels the artwork uses, or a centred cell.
TEST_F(AuxDevicesDlgTest, LayoutFollowsTheScreenDpi) {
    Run(DEVICE_CLASS_KEYBOARDS, [](ScriptedSetup& d) {
        uitest::ExpectTemplateSize(d, IDD_AUXDEVICES);
        for (const CLed& led : d.m_leds) {
            RECT r;
            ::GetClientRect(led, &r);
            EXPECT_GE(r.right, 12);
            EXPECT_GE(r.bottom, 12);
        }
        d.Finish();
    });
}

TEST_F(AuxDevicesDlgTest, UncheckingClearsTheEditAndCheckingAgainFocusesItEmpty) {
    Run(DEVICE_CLASS_KEYBOARDS, [](ScriptedSetup& d) {
        d.Click(IDC_SLOT5_CHECK);
        EXPECT_FALSE(d.IsItemChecked(IDC_SLOT5_CHECK));
        EXPECT_EQ(d.GetItemText(IDC_SLOT5_INDEX), "");
        EXPECT_FALSE(d.Enabled(IDC_SLOT5_INDEX));
        d.Click(IDC_SLOT5_CHECK);
        EXPECT_TRUE(d.IsItemChecked(IDC_SLOT5_CHECK));
        EXPECT_TRUE(d.Enabled(IDC_SLOT5_INDEX));
        EXPECT_EQ(d.GetItemText(IDC_SLOT5_INDEX), "");
        EXPECT_EQ(::GetFocus(), d.GetDlgItem(IDC_SLOT5_INDEX));
        d.Finish();
    });
}

TEST_F(AuxDevicesDlgTest, OkStoresTheIndexesAndRewritesOnlyTheDeviceEntries) {
    WriteIni("[Keyboards]\r\nUseAux=1\r\nMainIndex=4\r\nTextCmd=KEYS\r\nDevice1=9\r\nHarwareId1=OLD\r\n"
             "Index1=3\r\nDevice2=8\r\nHarwareId2=OLD2\r\nIndex2=1\r\n");
    const INT_PTR result = Run(DEVICE_CLASS_KEYBOARDS, [](ScriptedSetup& d) {
        d.Click(IDC_SLOT2_CHECK);
        d.SetItemText(IDC_SLOT2_INDEX, "255");
        d.SetItemText(IDC_SLOT5_INDEX, ""); // checked with an empty edit: index 0
        d.PressOk();
        d.Finish();
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(table[2].index.load(), 255);
    EXPECT_EQ(table[3].index.load(), -1);
    EXPECT_EQ(table[5].index.load(), 0);
    EXPECT_EQ(table[1].index.load(), -1);

    IniProfileStore store(iniPath);
    EXPECT_EQ(store.Read("Keyboards", "UseAux", "?"), "1");
    EXPECT_EQ(store.Read("Keyboards", "MainIndex", "?"), "4");
    EXPECT_EQ(store.Read("Keyboards", "TextCmd", "?"), "KEYS");
    const char* expected[][3] = {{"2", "HID\\VID_046D&PID_C31C", "255"},
                                 {"5", "HID\\VID_413C&PID_2107", "0"}};
    for (int n = 1; n <= 2; ++n) {
        SCOPED_TRACE(n);
        const std::string k = std::to_string(n);
        EXPECT_EQ(store.Read("Keyboards", "Device" + k, "?"), expected[n - 1][0]);
        EXPECT_EQ(store.Read("Keyboards", "HarwareId" + k, "?"), expected[n - 1][1]);
        EXPECT_EQ(store.Read("Keyboards", "Index" + k, "?"), expected[n - 1][2]);
    }
    EXPECT_EQ(store.Read("Keyboards", "Device3", "none"), "none");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(AuxDevicesDlgTest, RejectedIndexChangesNothingAndFocusesItsEdit) {
    const std::string before =
        "[Keyboards]\r\nUseAux=1\r\nDevice1=5\r\nHarwareId1=HID\\VID_413C&PID_2107\r\nIndex1=7\r\n";
    for (const char* bad : {"256", "-1", "99999999999"}) {
        SCOPED_TRACE(bad);
        WriteIni(before);
        std::vector<UINT> errors;
        bool focusOnBadEdit = false;
        const INT_PTR result = Run(
            DEVICE_CLASS_KEYBOARDS,
            [&](ScriptedSetup& d) {
                d.Click(IDC_SLOT2_CHECK);
                d.SetItemText(IDC_SLOT2_INDEX, "12"); // valid, before the bad one
                d.SetItemText(IDC_SLOT5_INDEX, bad);
                d.PressOk();
                focusOnBadEdit = ::GetFocus() == d.GetDlgItem(IDC_SLOT5_INDEX);
                d.Finish();
            },
            &errors);
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(errors, std::vector<UINT>{IDS_INDEX_RANGE});
        EXPECT_TRUE(focusOnBadEdit);
        EXPECT_EQ(table[2].index.load(), -1);
        EXPECT_EQ(table[5].index.load(), 7);
        EXPECT_EQ(TempDir::Contents(iniPath), before);
    }
}

std::string g_boxCaption, g_boxText;
HWND g_boxOwner = nullptr;

// Reads and answers the box over g_boxOwner from inside the box's own loop. A named function:
// a timer procedure has the system's calling convention, which on i686 no lambda converts to.
void CALLBACK AnswerBoxTimer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = ::GetLastActivePopup(g_boxOwner);
    if (box == g_boxOwner || !box)
        return;
    ::KillTimer(nullptr, id);
    char text[256] = {};
    ::GetWindowTextA(box, text, sizeof text);
    g_boxCaption = text;
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    g_boxText = text;
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST_F(AuxDevicesDlgTest, EveryPresentDeviceCheckedIsRefusedWithTheRealBox) {
    std::vector<UINT> errors;
    std::string& boxCaption = g_boxCaption;
    std::string& boxText = g_boxText;
    boxCaption.clear(), boxText.clear();
    const INT_PTR result = Run(
        DEVICE_CLASS_KEYBOARDS,
        [&](ScriptedSetup& d) {
            d.Click(IDC_SLOT2_CHECK);
            d.Click(IDC_SLOT3_CHECK);
            g_boxOwner = d;
            ::SetTimer(nullptr, 0, 300, AnswerBoxTimer);
            d.PressOk();
            d.Finish();
        },
        &errors, true);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(errors, std::vector<UINT>{IDS_NEED_MAIN_DEVICE});
    EXPECT_EQ(boxCaption, "Error");
    EXPECT_EQ(boxText, "At least one device must be unchecked,\ntypically your main device.");
    EXPECT_EQ(table[2].index.load(), -1);
    EXPECT_EQ(table[5].index.load(), 7);
}

TEST_F(AuxDevicesDlgTest, FailedSaveKeepsTheNewIndexesAndSaysSo) {
    iniPath = dir.File("missing\\kvRemote.ini");
    const INT_PTR result = Run(DEVICE_CLASS_KEYBOARDS, [](ScriptedSetup& d) {
        d.SetItemText(IDC_SLOT5_INDEX, "9");
        d.PressOk();
        d.Finish();
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(table[5].index.load(), 9);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].first, "The settings could not be saved to " + iniPath +
                                        ".\nThey stay in effect until kvRemote ends.");
    EXPECT_EQ(boxes.shown[0].second & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(AuxDevicesDlgTest, EventsLightTheLedOfTheirDeviceOnly) {
    Run(DEVICE_CLASS_KEYBOARDS, [](ScriptedSetup& d) {
        const AuxInputParams three = PackAuxInput(3, 0, -1, 65);
        const AuxInputParams mouse = PackAuxInput(12, 0, 0, 1);
        ::PostMessageA(d, WM_AUX_INPUT, mouse.wParam, mouse.lParam);
        ::PostMessageA(d, WM_AUX_INPUT, three.wParam, three.lParam);
        uitest::PumpUntil([&] { return d.m_leds[2].m_state == LED_ON; }, 2000);
        for (int slot = 0; slot < kSetupSlotCount; ++slot) {
            SCOPED_TRACE(slot);
            EXPECT_EQ(d.m_leds[slot].m_state, slot == 2                  ? LED_ON
                                              : (slot == 1 || slot == 4) ? LED_OFF
                                                                         : LED_DISABLED);
        }
        EXPECT_TRUE(uitest::PumpUntil([&] { return d.m_leds[2].m_state == LED_OFF; }, 5000));
        d.Finish();
    });
}

TEST_F(AuxDevicesDlgTest, KeysThatWouldTypeOrToggleAreKeptFromTheControls) {
    Run(DEVICE_CLASS_KEYBOARDS, [](ScriptedSetup& d) {
        HWND edit = d.GetDlgItem(IDC_SLOT5_INDEX);
        ::SetFocus(edit);
        ::SendMessageA(edit, EM_SETSEL, 1, 1);
        for (WPARAM ch : {WPARAM('a'), WPARAM('4'), WPARAM(' '), WPARAM('-'), WPARAM('2')})
            ::PostMessageA(edit, WM_CHAR, ch, 0);
        HWND check = d.GetDlgItem(IDC_SLOT2_CHECK);
        ::PostMessageA(check, WM_KEYDOWN, VK_SPACE, 0);
        ::PostMessageA(check, WM_KEYUP, VK_SPACE, 0);
        uitest::Pump(300);
        EXPECT_EQ(d.GetItemText(IDC_SLOT5_INDEX), "742");
        EXPECT_FALSE(d.IsItemChecked(IDC_SLOT2_CHECK));
        d.Finish();
    });
}

} // namespace
