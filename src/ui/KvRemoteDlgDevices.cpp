// CkvRemoteDlg, devices that come and go: device and power notifications, the re-read of the
// devices, and what follows from it (filters, the forcing rule, status lines, an open setup dialog,
// balloons and the tray tip).
#include "ui/KvRemoteDlg.h"

#include "station/SettingsFile.h"
#include "res/resource.h"
#include "ui/MovedDevicesText.h"
#include "ui/SettingsControlsEnabling.h"
#include "winfx/StringTable.h"
#include "winfx/Trace.h"

#include <dbt.h>

#include <algorithm>

namespace {

// The keyboard and mouse device interface classes.
constexpr GUID kKeyboardInterface = {
    0x884b96c3, 0x56ef, 0x11d1, {0xbc, 0x8c, 0x00, 0xa0, 0xc9, 0x14, 0x05, 0xdd}};
constexpr GUID kMouseInterface = {
    0x378de44c, 0x56ef, 0x11d1, {0xa6, 0x0d, 0x00, 0xa0, 0xc9, 0x14, 0x05, 0xdd}};

bool IsDeviceInterfaceChange(WPARAM event, LPARAM data) {
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE)
        return false;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    return header && header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE;
}

} // namespace

bool CkvRemoteDlg::Editing() const {
    return m_hWnd && ::IsWindowVisible(m_hWnd);
}

void CkvRemoteDlg::RegisterDeviceNotifications() {
    const GUID* classes[2] = {&kKeyboardInterface, &kMouseInterface};
    for (int i = 0; i < 2; ++i) {
        DEV_BROADCAST_DEVICEINTERFACE_A filter{};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = *classes[i];
        m_deviceNotifications[i] =
            ::RegisterDeviceNotificationA(m_hWnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
        // DBT_DEVNODES_CHANGED still comes without it.
        if (!m_deviceNotifications[i])
            TraceLastError("RegisterDeviceNotificationA");
    }
}

void CkvRemoteDlg::UnregisterDeviceNotifications() {
    for (void*& notification : m_deviceNotifications) {
        if (notification)
            ::UnregisterDeviceNotification(notification);
        notification = nullptr;
    }
}

bool CkvRemoteDlg::OnDeviceMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DEVICECHANGE) {
        if (wParam == DBT_DEVNODES_CHANGED || IsDeviceInterfaceChange(wParam, lParam))
            ScheduleDeviceReread();
        return true;
    }
    if (message == WM_POWERBROADCAST) {
        // Numbers may have changed across the sleep without a word.
        if (wParam == PBT_APMRESUMEAUTOMATIC)
            ScheduleDeviceReread();
        return true;
    }
    return false;
}

void CkvRemoteDlg::ScheduleDeviceReread() {
    if (!m_hWnd || !m_services.capture.HasContext())
        return;
    const DWORD now = ::GetTickCount();
    if (!m_rereadPending) {
        m_rereadPending = true;
        m_rereadBurstStart = now;
    }
    // Setting the timer again restarts it: one re-read at the end of a burst, but no later than
    // kDeviceRereadLatestMs after its first notification, or a chatty device would put it off while
    // a keypad plugged in meanwhile types into the focused program.
    const DWORD spent = now - m_rereadBurstStart;
    const DWORD left = spent < kDeviceRereadLatestMs ? kDeviceRereadLatestMs - spent : 0;
    SetTimer(MainTimer::DeviceReread, std::clamp<DWORD>(left, 1, kDeviceRereadMs));
}

void CkvRemoteDlg::RereadDevices() {
    m_rereadPending = false;
    if (m_hWnd)
        KillTimer(MainTimer::DeviceReread);
    CaptureController& capture = m_services.capture;
    if (!capture.HasContext())
        return;
    const DeviceChanges changes = capture.RereadDevices();
    if (changes.changed.empty() && changes.placement.followed.empty() && changes.placement.ambiguous.empty())
        return;

    // Moved devices that went, or that have an index now, are no longer a matter for the tip.
    const bool hadMoved = !m_movedDevices.empty();
    std::erase_if(m_movedDevices, [&](int device) {
        return std::find(changes.changed.begin(), changes.changed.end(), device) != changes.changed.end() ||
               m_services.devices[device].index.load(std::memory_order_relaxed) >= 0;
    });
    if (hadMoved && m_movedDevices.empty() && changes.placement.ambiguous.empty()) {
        UpdateTrayTip();
        NotifyShell(NIM_MODIFY);
    }

    // The keys of a keypad that went are up now.
    for (int device : changes.changed)
        ForceReleases(device);
    FollowForcingRule();
    SetStatusLine(DEVICE_CLASS_KEYBOARDS);
    SetStatusLine(DEVICE_CLASS_MICE);
    if (m_setupWindow) {
        DeviceMask slots = 0;
        for (int device : changes.changed)
            slots |= DeviceBit(device);
        for (int device : changes.placement.followed)
            slots |= DeviceBit(device);
        ::SendMessageA(m_setupWindow, WM_DEVICES_CHANGED, slots, 0);
    }
    WarnOfLastNumbers();
    UpdateExposure();
    AnnounceDevices(changes.placement);
}

void CkvRemoteDlg::FollowForcingRule() {
    SettingsValues forced = m_members;
    forced.keyboards.useAux = m_wantedUseAux[0];
    forced.mouses.useAux = m_wantedUseAux[1];
    ForceUseAux(forced, DriverPresent(), DevicesFound(DEVICE_CLASS_KEYBOARDS),
                DevicesFound(DEVICE_CLASS_MICE));
    const bool changed = forced.keyboards.useAux != m_members.keyboards.useAux ||
                         forced.mouses.useAux != m_members.mouses.useAux;
    m_members.keyboards.useAux = forced.keyboards.useAux;
    m_members.mouses.useAux = forced.mouses.useAux;
    if (changed)
        m_services.capture.FollowCaptureClasses(m_members.keyboards.useAux, m_members.mouses.useAux);
    if (!Editing())
        return;
    if (changed) {
        CheckItem(IDC_KEYB_USE_AUX, m_members.keyboards.useAux);
        CheckItem(IDC_MOUSE_USE_AUX, m_members.mouses.useAux);
    }
    // Only the controls that depend on the devices present.
    const SettingsEnableInputs inputs =
        EnableInputs(IsItemChecked(IDC_KEYB_USE_AUX), IsItemChecked(IDC_MOUSE_USE_AUX));
    for (const ControlEnable& item : ::EnableSettingsControls(inputs))
        if (item.controlId == IDC_KEYB_USE_AUX || item.controlId == IDC_KEYB_SETUP ||
            item.controlId == IDC_MOUSE_USE_AUX || item.controlId == IDC_MOUSE_SETUP)
            EnableItem(item.controlId, item.enabled);
}

void CkvRemoteDlg::AnnounceDevices(const DevicePlacement& placement) {
    if (m_inStartSplash) {
        AppendPlacement(m_pendingPlacement, placement);
        return;
    }
    // The tip names the moved devices too: with notifications off the balloon never shows.
    std::vector<int> newlyMoved;
    for (int device : placement.ambiguous) {
        if (m_services.devices[device].index.load(std::memory_order_relaxed) >= 0 ||
            std::find(m_movedDevices.begin(), m_movedDevices.end(), device) != m_movedDevices.end())
            continue;
        m_movedDevices.push_back(device);
        newlyMoved.push_back(device);
    }
    if (!placement.followed.empty())
        ShowBalloon(MovedDevicesBalloon(LoadResourceString(IDS_DEVICE_FOLLOWED),
                                        DeviceNames(placement.followed),
                                        LoadResourceString(IDS_DEVICES_MOVED_MORE)),
                    DEVICE_CLASS_NONE);
    if (!newlyMoved.empty()) {
        UpdateTrayTip();
        const int first = newlyMoved.front();
        // The one to act on comes last, so it is the one left showing.
        ShowBalloon(MovedDevicesBalloon(LoadResourceString(IDS_DEVICES_MOVED), DeviceNames(newlyMoved),
                                        LoadResourceString(IDS_DEVICES_MOVED_MORE)),
                    IsMouseNumber(first) ? DEVICE_CLASS_MICE : DEVICE_CLASS_KEYBOARDS);
    }
}
