#pragma once
// What the main dialog works with, handed to it by the application object: the configuration, the
// device table and capture, the network link, message boxes, broadcast detection, the sign-in entry,
// what start-up found wrong with the driver's library and the network destinations. The program
// wires the real ones (app/ProgramServicesWin32); tests wire fakes that record what the dialog did.
#include "settings/Settings.h"
#include "settings/SignInEntry.h"
#include "capture/CaptureController.h"
#include "capture/DeviceTable.h"
#include "capture/DriverApi.h"
#include "connections/ConnectionsHub.h"
#include "remote/NetworkLink.h"

#include <windows.h>

#include <functional>
#include <string>

// Modal message boxes carrying the program's title as caption. Returns the button pressed.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual int Show(HWND owner, const std::string& text, UINT type) = 0; // text in the ANSI code page
    virtual int ShowUtf8(HWND owner, const std::string& text, UINT type) = 0;
};

struct AppServices {
    Settings& settings;
    std::string iniPath; // named by the message of a failed save
    DeviceTable& devices;
    CaptureController& capture;
    const DriverApi& driver; // is_keyboard / is_mouse tell the class of a captured event
    NetworkLink& link;
    MessageBoxes& boxes;
    // The broadcast address proposed by the Default button (never fails; a fallback is given).
    std::function<std::string()> detectBroadcastAddress;
    SignInEntry& signIn; // the tray menu's "Start when I sign in"
    // Shown once, at the settings window's first opening; empty when the library is in order. UTF-8:
    // it names the library's path.
    std::string driverLibraryMessage;
    ConnectionsHub& connections; // the network destinations beyond the REMOTE line
};
