// CkvRemoteDlg, sending: a captured event becomes a command, is shown and goes out on the link.
#include "ui/KvRemoteDlg.h"

#include "capture/AuxInputMessage.h"
#include "capture/LatencyTrace.h"
#include "capture/Stroke.h"
#include "station/Exposure.h"
#include "res/resource.h"

bool CkvRemoteDlg::PreTranslateMessage(MSG* msg) {
    // Only events addressed to this window: the filter chain also offers this window the messages
    // of the windows it owns, such as the setup dialog, whose events are not commands.
    if (msg->message == WM_AUX_INPUT && m_hWnd && (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd))) {
        OnAuxInput(msg->wParam, msg->lParam);
        return true;
    }
    return CDialog::PreTranslateMessage(msg);
}

void CkvRemoteDlg::OnAuxInput(WPARAM wParam, LPARAM lParam) {
    KV_TRACE(kTraceRetrieved);
    const AuxInput in = UnpackAuxInput(static_cast<std::uint64_t>(wParam), static_cast<std::int64_t>(lParam));
    DeviceClass deviceClass = DEVICE_CLASS_NONE;
    if (m_services.driver.is_keyboard && m_services.driver.is_keyboard(in.device))
        deviceClass = DEVICE_CLASS_KEYBOARDS;
    else if (m_services.driver.is_mouse && m_services.driver.is_mouse(in.device))
        deviceClass = DEVICE_CLASS_MICE;
    const EventIndex index = in.mainMark ? EventIndex(kMainDeviceMark) : EventIndex(in.index);
    if (in.release) {
        // Only a key whose press went out, once, with that press's code and value.
        Deliver(m_tracker.Released(in.device, in.key));
        return;
    }

    SendRemoteCommand(m_members, *this, in.code, in.value, deviceClass, index);
    if (in.mainMark)
        return;
    const bool toConnections = ConnectionsOn();
    if (deviceClass == DEVICE_CLASS_KEYBOARDS && in.key >= 0) {
        if (const auto press = m_tracker.KeyPressed(in.device, in.key, in.code, in.value, in.index, m_members,
                                                    toConnections))
            m_services.connections.Post(*press);
    } else if (deviceClass == DEVICE_CLASS_MICE) {
        const ButtonTransition button = ButtonTransitionOf(in.code);
        if (button.button != MouseButton::None && !button.down)
            Deliver(m_tracker.ButtonReleased(in.device, button.button));
        else if (button.button != MouseButton::None) {
            if (const auto press = m_tracker.ButtonPressed(in.device, button.button, in.index, toConnections))
                m_services.connections.Post(*press);
        } else if (in.code == kMouseWheel && toConnections) {
            DestinationEvent wheel;
            wheel.deviceClass = DEVICE_CLASS_MICE;
            wheel.index = in.index;
            wheel.kind = DestinationEventKind::Wheel;
            wheel.delta = in.value;
            m_services.connections.Post(wheel);
        }
    }
    // Posted before a filter change that left this device unheld here: its release will not be
    // reported to this window, so it ends now (at a shutdown, after everything taken was sent).
    if (!m_shutDown && !m_services.capture.Holds(in.device))
        ForceReleases(in.device);
}

bool CkvRemoteDlg::ConnectionsOn() const {
    return m_services.connections.AnyOn();
}

void CkvRemoteDlg::Deliver(const PressEnd& end) {
    if (end.remote)
        SendComposedCommand(*this, end.remote->command, end.remote->line);
    if (end.connections)
        m_services.connections.Post(*end.connections);
}

void CkvRemoteDlg::ForceReleases(int device) {
    for (const PressEnd& end : m_tracker.Force(device))
        Deliver(end);
}

void CkvRemoteDlg::UpdateExposure() {
    const bool capturing = m_services.capture.ThreadRunning();
    // A class whose last device went is turned off by the forcing rule; its saved devices stay known
    // as away while the user's choice holds.
    std::vector<ExposedDevice> shown = ExposedDevices(
        m_services.devices, {capturing && m_members.keyboards.useAux, capturing && m_members.mouses.useAux},
        {capturing && m_wantedUseAux[0], capturing && m_wantedUseAux[1]});
    if (shown == m_exposed)
        return;
    m_exposed = shown;
    m_services.connections.SetExposure(m_exposed);
}

void CkvRemoteDlg::SetLastCommandText(std::string_view command) {
    if (GetItemText(IDC_LAST_COMMAND) != command)
        SetItemText(IDC_LAST_COMMAND, command);
    KV_TRACE(kTraceShown);
}

bool CkvRemoteDlg::IsMainWindowForeground() {
    const bool front = ::GetForegroundWindow() == m_hWnd;
    KV_TRACE(kTraceForeground);
    return front;
}

void CkvRemoteDlg::FlashTitle(std::string_view command) {
    SetTitleText(command);
    SetTimer(MainTimer::Title, kTitleCommandMs);
    KV_TRACE(kTraceTitled);
}

void CkvRemoteDlg::SetTitleText(std::string_view title) {
    if (GetWindowTextA() != title)
        SetWindowTextA(title);
}

void CkvRemoteDlg::SendLine(std::string_view line) {
    KV_TRACE(kTraceComposed);
    m_services.link.Send(std::string(line));
    KV_TRACE(kTraceSent);
}

uint32_t CkvRemoteDlg::TickCount() {
    return ::GetTickCount();
}

void CkvRemoteDlg::StartAnimation(uint32_t now) {
    if (m_animation.Start(now))
        SetTimer(MainTimer::Animation, kAnimationFrameMs);
    KV_TRACE(kTraceAnimated);
}
