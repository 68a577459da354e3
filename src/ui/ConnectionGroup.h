#pragma once
// One connection's group in the Connections dialog: its fields in template 109 (a group box with
// its controls and a static for its live status line), their checks, its section of the settings
// file and the connection it makes. Each kind of connection adds one to MakeConnectionGroups; the
// Connections dialog and the main dialog know connections only through this.
#include "settings/Settings.h"
#include "connections/ConnectionsHub.h"
#include "station/ConnectionsFromSettings.h"
#include "ui/AppServices.h"

#include <memory>
#include <string>
#include <vector>

class CDataExchange;

class ConnectionGroup {
public:
    virtual ~ConnectionGroup() = default;

    // Reads its section into its members.
    virtual void Load(Settings& settings) = 0;
    // Its controls and members, as part of the dialog's data exchange.
    virtual void Exchange(CDataExchange* dx) = 0;
    // The checks beyond the exchange. On a failure the message is shown (owned by owner) and the id
    // of the control to correct is returned; 0 when every field is right.
    virtual int Check(MessageBoxes& boxes, HWND owner) = 0;
    // Writes its section; false when a write failed.
    virtual bool Save(Settings& settings) = 0;
    // The static that shows the connection's status line.
    virtual int StatusControlId() const = 0;
    // The connection its members describe (an empty host: off), naming this PC by station.
    virtual HubConnection Connection(const std::string& station) const = 0;
    // The dialog shows its members now (after the first exchange).
    virtual void OnShown(HWND dialog) { (void)dialog; }
    // A click or change in one of its controls (dialog is the Connections dialog); true when handled.
    virtual bool OnCommand(HWND dialog, int id, int code) {
        (void)dialog, (void)id, (void)code;
        return false;
    }
};

// One group per kind of connection, in the order of the dialog and of the hub's statuses.
std::vector<std::unique_ptr<ConnectionGroup>> MakeConnectionGroups();

// What building the connections needs of Windows: the password's protector for this PC and the
// ANSI code page's conversion.
ConnectionsPlatform ConnectionsPlatformWin32();
// The connections as the settings file describes them, for the hub's Start.
std::vector<HubConnection> ConnectionsFromSettings(Settings& settings, const std::string& station);

// The computer's name, from which the default station name is made.
std::string ComputerNameWin32();
