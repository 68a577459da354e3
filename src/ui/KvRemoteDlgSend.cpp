// CkvRemoteDlg, sending: a captured event becomes a command, is shown and goes out on the link.
#include "ui/KvRemoteDlg.h"

#include "capture/AuxInputMessage.h"
#include "capture/LatencyTrace.h"
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
    m_core.OnAuxInput(in, deviceClass);
}

bool CkvRemoteDlg::ConnectionsOn() const {
    return m_core.ConnectionsOn();
}

void CkvRemoteDlg::ForceReleases(int device) {
    m_core.ForceReleases(device);
}

void CkvRemoteDlg::UpdateExposure() {
    m_core.UpdateExposure(WantedUseAux());
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
