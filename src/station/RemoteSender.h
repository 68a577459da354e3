#pragma once
// SendRemoteCommand: the fixed sequence that turns one captured event into a shown and sent command.
// The main dialog implements RemoteSenderHost over its controls, title timer, KvCom and tray animation.
#include "station/SettingsValues.h"
#include "capture/DeviceClass.h"
#include "remote/CommandComposer.h"
#include <cstdint>
#include <string>
#include <string_view>

class RemoteSenderHost {
public:
    virtual ~RemoteSenderHost() = default;
    // Text of control 1012, "Last command sent" (the host skips a text it shows already).
    virtual void SetLastCommandText(std::string_view command) = 0;
    // True when the foreground window is the main dialog.
    virtual bool IsMainWindowForeground() = 0;
    // Window title := command (unless it shows it already), then (re)start timer 4097 with 1000 ms.
    virtual void FlashTitle(std::string_view command) = 0;
    // KVCOM_send; its result is ignored.
    virtual void SendLine(std::string_view line) = 0;
    virtual uint32_t TickCount() = 0;
    // Moves the animation deadline to now + 5000 and starts the animation when idle.
    virtual void StartAnimation(uint32_t now) = 0;
};

// Composes the command from the settings as they are at the moment of the event and runs the sequence:
// send, last command, title when not in front, animation. Class 0 (neither keyboard nor mouse) shows and
// sends nothing.
void SendRemoteCommand(const SettingsValues& settings, RemoteSenderHost& host, int32_t code, int16_t value,
                       DeviceClass deviceClass, EventIndex index);
// The same sequence for a command composed already, such as a key's release.
void SendComposedCommand(RemoteSenderHost& host, const std::string& command, const std::string& line);
