#include "station/RemoteSender.h"
#include "remote/RemoteLine.h"
#include <string>

void SendRemoteCommand(const SettingsValues& settings, RemoteSenderHost& host, int32_t code, int16_t value,
                       DeviceClass deviceClass, EventIndex index) {
    if (deviceClass != DEVICE_CLASS_KEYBOARDS && deviceClass != DEVICE_CLASS_MICE)
        return;
    const std::string_view textCmd =
        deviceClass == DEVICE_CLASS_KEYBOARDS ? settings.keyboards.textCmd : settings.mouses.textCmd;
    const std::string command = ComposeCommand(textCmd, deviceClass, code, value, index,
                                               settings.keyboards.mainIndex, settings.mouses.mainIndex);
    SendComposedCommand(host, command,
                        FormatRemoteLine(settings.applicationId, settings.destination, command));
}

void SendComposedCommand(RemoteSenderHost& host, const std::string& command, const std::string& line) {
    // The receiver waits for the line; the window shows the same command a moment later.
    host.SendLine(line);
    host.SetLastCommandText(command);
    if (!host.IsMainWindowForeground())
        host.FlashTitle(command);
    host.StartAnimation(host.TickCount());
}
