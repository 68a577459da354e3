// CkvRemoteDlg, network destinations: starting them, the Connections dialog, their news (the
// balloon of a lost connection, the tooltip, an open Connections dialog) and their goodbye.
#include "ui/KvRemoteDlg.h"

#include "res/resource.h"
#include "ui/ConnectionGroup.h"
#include "ui/DialogHooks.h"
#include "winfx/StringTable.h"

void CkvRemoteDlg::StartConnections() {
    m_services.connections.SetNotifyWindow(reinterpret_cast<std::uintptr_t>(m_hWnd));
    // A name in the file that is not valid is shown in the Connections dialog to be mended; until
    // then the destinations get the default.
    const std::string station = StationNameFromSettings(m_services.settings, ComputerNameWin32());
    m_core.StartConnections(ConnectionsFromSettings(m_services.settings, station), WantedUseAux());
}

void CkvRemoteDlg::FollowConnections() {
    m_core.FollowConnections(WantedUseAux());
}

void CkvRemoteDlg::OpenConnections() {
    if (m_inStartSplash) {
        m_connectionsAsked = true; // honoured when the start-up About box closes
        return;
    }
    // Under a modal window of ours that window only comes to the front: a second modal dialog would
    // run nested in it.
    if (!::IsWindowEnabled(m_hWnd)) {
        ::SetForegroundWindow(::GetLastActivePopup(m_hWnd));
        return;
    }
    // The connections may be replaced: none is left holding a key.
    ForceReleases();
    RunConnectionsDialog(this, m_services, [this](HWND window) { m_connectionsWindow = window; });
    m_connectionsWindow = nullptr;
    FollowConnections();
}

void CkvRemoteDlg::OnConnectionsStatus() {
    const std::vector<std::size_t> lost = m_services.connections.TakeNews();
    const std::vector<ConnectionStatus>& statuses = m_services.connections.Statuses();
    // Once per loss of a connection that worked; not over the start-up About box.
    if (!lost.empty() && !m_inStartSplash) {
        const ConnectionStatus& status = statuses[lost.front()];
        ShowBalloon(StringTableTexts().Format(IDS_CONNECTION_LOST, {status.peer, HostAndPort(status)}),
                    BalloonClick::OpenConnections);
    }
    const std::string tip = m_nid.szTip;
    UpdateTrayTip();
    if (tip != m_nid.szTip)
        NotifyShell(NIM_MODIFY);
    if (m_connectionsWindow)
        ::SendMessageA(m_connectionsWindow, WM_CONNECTIONS_STATUS, 0, 0);
}

std::vector<std::string> CkvRemoteDlg::ConnectionTipLines() const {
    return ConnectionsDownTipLines(m_services.connections.Statuses(), StringTableTexts());
}

void CkvRemoteDlg::SayGoodbye(DWORD exitStarted) {
    // The releases still owed go first; then the goodbye, within the exit's bound counted from the
    // start of the exit.
    m_core.FinishStop(static_cast<MonoMs>(::GetTickCount() - exitStarted), CaptureController::kExitWaitMs);
}
