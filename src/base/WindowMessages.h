#pragma once
// The program's private window messages, all in one place. Portable: the capture thread posts
// WM_AUX_INPUT (see capture/AuxInputMessage.h for its packing), the main dialog hands
// WM_LINK_NOTIFY to the network link and WM_TRAY_NOTIFY to the tray icon, and tells an open setup
// dialog of device changes with WM_DEVICES_CHANGED; the network thread rings WM_CONNECTIONS_STATUS.
//
// WM_USER + 1 and + 2 are also the dialog manager's DM_SETDEFID and DM_REPOSITION; every dialog
// that can receive them answers them as handled.

inline constexpr unsigned kWindowMessageUser = 0x0400; // WM_USER

enum WindowMessage : unsigned {
    WM_LINK_NOTIFY = kWindowMessageUser + 1, // the network link's notifications; answered with 0
    WM_AUX_INPUT = kWindowMessageUser + 2,   // a captured event, to the main or the setup dialog
    WM_TRAY_NOTIFY = kWindowMessageUser + 3, // the tray icon's callback
    // The devices present changed under an open setup dialog: wParam has bit d set for each number
    // whose slot is to show the device table afresh; the other slots keep what the user entered.
    WM_DEVICES_CHANGED = kWindowMessageUser + 4,
    // The network thread has news of the connections (no payload: the main dialog takes it from the
    // hub); the main dialog passes it on to an open Connections dialog.
    WM_CONNECTIONS_STATUS = kWindowMessageUser + 5,
};
