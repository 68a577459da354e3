#include "ui/ConnectionsDlg.h"

#include "base/WindowMessages.h"
#include "connections/StationName.h"
#include "res/resource.h"
#include "winfx/DataExchange.h"
#include "winfx/StringTable.h"

CConnectionsDlg::CConnectionsDlg(CWnd* parent, ConnectionsModel model, std::function<void(HWND)> ready)
    : CDialog(IDD_CONNECTIONS, parent), m_model(std::move(model)), m_ready(std::move(ready)),
      m_groups(MakeConnectionGroups()) {}

bool CConnectionsDlg::OnInitDialog() {
    m_station = LoadStationName(m_model.settings, m_model.computerName);
    for (const std::unique_ptr<ConnectionGroup>& group : m_groups)
        group->Load(m_model.settings);
    UpdateData(false);
    for (const std::unique_ptr<ConnectionGroup>& group : m_groups)
        group->OnShown(m_hWnd);
    ShowStatuses();
    if (m_ready)
        m_ready(m_hWnd);
    return true;
}

void CConnectionsDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_STATION, m_station, static_cast<int>(kStationNameMax));
    for (const std::unique_ptr<ConnectionGroup>& group : m_groups)
        group->Exchange(dx);
}

void CConnectionsDlg::OnOK() {
    if (!UpdateData(true))
        return;
    if (!IsValidStationName(m_station)) {
        m_model.boxes.Show(m_hWnd, LoadResourceString(IDS_STATION_INVALID), MB_OK | MB_ICONERROR);
        SelectItemText(IDC_STATION);
        return;
    }
    for (const std::unique_ptr<ConnectionGroup>& group : m_groups)
        if (const int controlId = group->Check(m_model.boxes, m_hWnd); controlId != 0) {
            SelectItemText(controlId);
            return;
        }
    bool saved = SaveStationName(m_model.settings, m_station);
    std::vector<HubConnection> connections;
    for (const std::unique_ptr<ConnectionGroup>& group : m_groups) {
        saved = group->Save(m_model.settings) && saved;
        connections.push_back(group->Connection(m_station));
    }
    // Applied even when the file could not be written: the user is told they last until the end.
    m_model.hub.Start(std::move(connections));
    if (!saved)
        m_model.boxes.Show(m_hWnd, FormatText(LoadResourceString(IDS_SAVE_FAILED), {m_model.iniPath}),
                           MB_OK | MB_ICONERROR);
    EndDialog(IDOK);
}

bool CConnectionsDlg::OnCommand(int id, int code, HWND control) {
    for (const std::unique_ptr<ConnectionGroup>& group : m_groups)
        if (group->OnCommand(m_hWnd, id, code))
            return true;
    return CDialog::OnCommand(id, code, control);
}

INT_PTR CConnectionsDlg::OnMessage(UINT message, WPARAM, LPARAM, bool& handled) {
    if (message == WM_CONNECTIONS_STATUS) {
        ShowStatuses();
        handled = true;
    }
    return 0;
}

void CConnectionsDlg::ShowStatuses() {
    const std::vector<ConnectionStatus>& statuses = m_model.hub.Statuses();
    for (std::size_t i = 0; i < m_groups.size() && i < statuses.size(); ++i) {
        const std::string line = ConnectionStatusLine(statuses[i], StringTableTexts());
        if (GetItemText(m_groups[i]->StatusControlId()) != line)
            SetItemText(m_groups[i]->StatusControlId(), line);
    }
}
