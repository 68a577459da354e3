#include "ui/AuxDevicesDlg.h"

#include "capture/AuxInputMessage.h"
#include "capture/DeviceRegistry.h"
#include "capture/PortLabels.h"
#include "res/resource.h"
#include "winfx/DataExchange.h"
#include "winfx/StringTable.h"

namespace {

struct SlotIds {
    int check;
    int led;
    int edit;
};

// Slots 1-10 in template 106.
constexpr std::array<SlotIds, kSetupSlotCount> kSlots{{
    {IDC_SLOT1_CHECK, IDC_SLOT1_LED, IDC_SLOT1_INDEX},
    {IDC_SLOT2_CHECK, IDC_SLOT2_LED, IDC_SLOT2_INDEX},
    {IDC_SLOT3_CHECK, IDC_SLOT3_LED, IDC_SLOT3_INDEX},
    {IDC_SLOT4_CHECK, IDC_SLOT4_LED, IDC_SLOT4_INDEX},
    {IDC_SLOT5_CHECK, IDC_SLOT5_LED, IDC_SLOT5_INDEX},
    {IDC_SLOT6_CHECK, IDC_SLOT6_LED, IDC_SLOT6_INDEX},
    {IDC_SLOT7_CHECK, IDC_SLOT7_LED, IDC_SLOT7_INDEX},
    {IDC_SLOT8_CHECK, IDC_SLOT8_LED, IDC_SLOT8_INDEX},
    {IDC_SLOT9_CHECK, IDC_SLOT9_LED, IDC_SLOT9_INDEX},
    {IDC_SLOT10_CHECK, IDC_SLOT10_LED, IDC_SLOT10_INDEX},
}};

bool IsDigitFilterPass(WPARAM ch) {
    return (ch >= '0' && ch <= '9') || ch == 8 || ch == 13 || ch == 1;
}

} // namespace

CAuxDevicesDlg::CAuxDevicesDlg(CWnd* parent, DeviceClass deviceClass, AuxDevicesModel model,
                               std::function<void(HWND)> ready)
    : CDialog(IDD_AUXDEVICES, parent), m_class(deviceClass), m_model(std::move(model)),
      m_ready(std::move(ready)) {}

void CAuxDevicesDlg::DoDataExchange(CDataExchange* dx) {
    for (int n = 0; n < kSetupSlotCount; ++n)
        DDX_Control(dx, kSlots[n].led, m_leds[n]);
}

bool CAuxDevicesDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    m_ledByDevice.fill(nullptr);
    m_checkByDevice.fill(0);
    m_editByDevice.fill(0);
    for (int n = 0; n < kSetupSlotCount; ++n) {
        const int device = FirstDevice() + n;
        m_ledByDevice[device] = &m_leds[n];
        m_checkByDevice[device] = kSlots[n].check;
        m_editByDevice[device] = kSlots[n].edit;
    }

    const bool mice = m_class == DEVICE_CLASS_MICE;
    SetWindowTextA(LoadResourceString(mice ? IDS_SETUP_CAPTION_MICE : IDS_SETUP_CAPTION_KEYBOARDS));
    SetItemText(IDC_SETUP_INSTRUCTIONS,
                LoadResourceString(mice ? IDS_SETUP_INSTRUCTIONS_MICE : IDS_SETUP_INSTRUCTIONS_KEYBOARDS));
    SetItemText(IDC_SETUP_GROUP, LoadResourceString(mice ? IDS_SETUP_GROUP_MICE : IDS_SETUP_GROUP_KEYBOARDS));

    const std::array<std::string, kDeviceCount> labels =
        PortLabels(m_model.devices, m_class, StringTableTexts());
    for (int device = FirstDevice(); device <= LastDevice(); ++device)
        ShowSlot(device, labels[device], true);

    if (m_ready)
        m_ready(m_hWnd);
    return true;
}

void CAuxDevicesDlg::ShowSlot(int device, const std::string& label, bool fresh) {
    const AuxDevice& record = m_model.devices[device];
    const bool present = !record.hardwareId.empty();
    CLed& led = *m_ledByDevice[device];
    led.m_colour = LED_GREEN;
    led.m_shape = LED_SQUARE;
    led.m_state = present ? LED_OFF : LED_DISABLED;
    led.Redraw();

    const int check = m_checkByDevice[device];
    const int edit = m_editByDevice[device];
    SetItemText(check, label);
    if (!present) {
        if (fresh) {
            CheckItem(check, false);
            SetItemText(edit, "");
        }
        EnableItem(edit, false);
        EnableItem(check, false);
        return;
    }
    EnableItem(check, true);
    if (!fresh)
        return;
    const int32_t index = record.index.load(std::memory_order_relaxed);
    if (index < 0) {
        CheckItem(check, false);
        SetItemText(edit, "");
        EnableItem(edit, false);
    } else {
        CheckItem(check, true);
        SetItemText(edit, std::to_string(index));
        EnableItem(edit, true);
    }
}

void CAuxDevicesDlg::OnDevicesChanged(std::uint32_t fresh) {
    const std::array<std::string, kDeviceCount> labels =
        PortLabels(m_model.devices, m_class, StringTableTexts());
    for (int device = FirstDevice(); device <= LastDevice(); ++device)
        ShowSlot(device, labels[device], (fresh & (std::uint32_t{1} << device)) != 0);
}

bool CAuxDevicesDlg::PreTranslateMessage(MSG* msg) {
    if (!m_hWnd)
        return false;
    switch (msg->message) {
    case WM_AUX_INPUT:
        if (msg->hwnd != m_hWnd)
            break;
        FlashDeviceOf(msg->wParam, msg->lParam);
        return true;
    case WM_KEYDOWN:
        // The space bar would toggle a check box or press a button while a keyboard is spotted.
        if (msg->wParam == VK_SPACE)
            return true;
        break;
    case WM_CHAR:
        // Spotting keys reach the focused control too: only digits and editing keys get through.
        if (!IsDigitFilterPass(msg->wParam))
            return true;
        break;
    default:
        break;
    }
    return CDialog::PreTranslateMessage(msg);
}

void CAuxDevicesDlg::FlashDeviceOf(WPARAM wParam, LPARAM lParam) {
    // Only the device number matters here.
    const AuxInput in = UnpackAuxInput(wParam, lParam);
    if (in.device >= 0 && in.device < kDeviceCount && m_ledByDevice[in.device])
        m_ledByDevice[in.device]->Flash();
}

INT_PTR CAuxDevicesDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message == WM_AUX_INPUT) {
        // A system modal loop (one of our error boxes) dispatches the event instead of offering it
        // to pre-translation. Its number is the dialog manager's DM_REPOSITION: answered here, the
        // dialog manager never moves the dialog for it.
        FlashDeviceOf(wParam, lParam);
        handled = true;
    } else if (message == WM_DEVICES_CHANGED) {
        OnDevicesChanged(static_cast<std::uint32_t>(wParam));
        handled = true;
    }
    return 0;
}

bool CAuxDevicesDlg::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED && id >= IDC_SLOT_CHECK_FIRST && id <= IDC_SLOT_CHECK_LAST) {
        OnSlotClicked(id);
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

void CAuxDevicesDlg::OnSlotClicked(int id) {
    for (int device = FirstDevice(); device <= LastDevice(); ++device) {
        if (m_checkByDevice[device] != id)
            continue;
        const int edit = m_editByDevice[device];
        if (IsItemChecked(id)) {
            EnableItem(edit, true);
            SelectItemText(edit);
        } else {
            SetItemText(edit, "");
            EnableItem(edit, false);
        }
        return;
    }
}

void CAuxDevicesDlg::OnOK() {
    std::array<SetupSlot, kSetupSlotCount> slots;
    for (int n = 0; n < kSetupSlotCount; ++n) {
        const int device = FirstDevice() + n;
        const int check = m_checkByDevice[device];
        slots[n].present = ::IsWindowEnabled(GetDlgItem(check)) != FALSE;
        slots[n].checked = IsItemChecked(check);
        slots[n].indexText = GetItemText(m_editByDevice[device]);
    }
    const SetupOkResult result = CheckSetupOk(slots);
    if (result.messageId == IDS_NEED_MAIN_DEVICE) {
        ShowError(IDS_NEED_MAIN_DEVICE);
        return;
    }
    if (result.messageId == IDS_INDEX_RANGE) {
        ShowError(IDS_INDEX_RANGE);
        SelectItemText(m_editByDevice[FirstDevice() + result.failedSlot]);
        return;
    }

    // Every index passed: only now does the table change (the capture thread reads each one).
    for (int n = 0; n < kSetupSlotCount; ++n)
        m_model.devices[FirstDevice() + n].index.store(result.indexes[n], std::memory_order_relaxed);
    if (m_model.saveOnOk && !SaveDevices(m_model.devices, m_class, m_model.settings)) {
        // The new indexes stay in effect for this run; the user learns that the file lags behind.
        m_model.titledBoxes.Show(m_hWnd, FormatText(LoadResourceString(IDS_SAVE_FAILED), {m_model.iniPath}),
                                 MB_OK | MB_ICONERROR);
    }
    EndDialog(IDOK);
}

void CAuxDevicesDlg::ShowError(UINT textId) {
    const std::string text = LoadResourceString(textId);
    const std::string caption = LoadResourceString(IDS_ERROR_CAPTION);
    ::MessageBoxA(m_hWnd, text.c_str(), caption.c_str(), MB_OK | MB_ICONSTOP);
}
