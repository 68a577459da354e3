#pragma once
// CConnectionsDlg: the modal Connections dialog (template 109). The station name by which every
// destination names this PC, one group per connection with its live status line, OK and Cancel.
// OK checks every field (a clear message, nothing saved while one is wrong), saves [Connections]
// and the connections' sections, and restarts the connections at once.
#include "connections/ConnectionsHub.h"
#include "ui/AppServices.h"
#include "ui/ConnectionGroup.h"
#include "winfx/Dialog.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// What the dialog reads and writes.
struct ConnectionsModel {
    Settings& settings;
    std::string iniPath; // named by the message of a failed save
    MessageBoxes& boxes;
    ConnectionsHub& hub;
    std::string computerName; // the default station name is made from it
};

class CConnectionsDlg : public CDialog {
public:
    // ready, if given, is called with the dialog's window as soon as it exists, so status news can
    // be passed on to it (WM_CONNECTIONS_STATUS).
    CConnectionsDlg(CWnd* parent, ConnectionsModel model, std::function<void(HWND)> ready = {});

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void ShowStatuses();

    ConnectionsModel m_model;
    std::function<void(HWND)> m_ready;
    std::string m_station;
    std::vector<std::unique_ptr<ConnectionGroup>> m_groups;
};
