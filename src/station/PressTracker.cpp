#include "station/PressTracker.h"
#include "capture/Stroke.h"
#include "remote/CommandComposer.h"
#include "remote/RemoteLine.h"
#include <algorithm>

PressTracker::Held& PressTracker::Find(int device, int key, int index) {
    const auto found = std::find_if(held_.begin(), held_.end(), [&](const Held& held) {
        return held.device == device && held.key == key;
    });
    if (found != held_.end())
        return *found;
    return held_.emplace_back(Held{device, key, index, std::nullopt, std::nullopt});
}

namespace {

DestinationEvent PressEvent(DeviceClass deviceClass, int index) {
    DestinationEvent press;
    press.deviceClass = deviceClass;
    press.index = index;
    press.kind = DestinationEventKind::Press;
    return press;
}

} // namespace

std::optional<DestinationEvent> PressTracker::KeyPressed(int device, int key, std::int32_t code,
                                                         std::int16_t value, int index,
                                                         const SettingsValues& settings, bool toConnections) {
    const bool toRemote = !settings.keyboards.releaseTextCmd.empty();
    if (!toRemote && !toConnections)
        return std::nullopt;
    Held& held = Find(device, key, index);
    if (toRemote)
        held.remote = RemoteTold{code, value, settings.applicationId, settings.destination,
                                 settings.keyboards.releaseTextCmd};
    std::optional<DestinationEvent> told;
    if (toConnections && !held.connections) {
        DestinationEvent press = PressEvent(DEVICE_CLASS_KEYBOARDS, index);
        press.code = code;
        press.value = value;
        press.key = key;
        held.connections = press;
        told = press;
    }
    return told;
}

std::optional<DestinationEvent> PressTracker::ButtonPressed(int device, MouseButton button, int index,
                                                            bool toConnections) {
    if (!toConnections || button == MouseButton::None)
        return std::nullopt;
    Held& held = Find(device, ButtonKey(button), index);
    if (held.connections)
        return std::nullopt;
    DestinationEvent press = PressEvent(DEVICE_CLASS_MICE, index);
    press.button = button;
    held.connections = press;
    return press;
}

PressEnd PressTracker::Released(int device, int key) {
    const auto found = std::find_if(held_.begin(), held_.end(), [&](const Held& held) {
        return held.device == device && held.key == key;
    });
    if (found == held_.end())
        return {};
    PressEnd end = EndOf(*found);
    held_.erase(found);
    return end;
}

std::vector<PressEnd> PressTracker::Force(int device) {
    std::vector<PressEnd> ends;
    std::erase_if(held_, [&](const Held& held) {
        if (device != 0 && held.device != device)
            return false;
        ends.push_back(EndOf(held));
        return true;
    });
    return ends;
}

PressEnd PressTracker::EndOf(const Held& held) {
    PressEnd end;
    // Both sides carry the press's own code and value, so a receiver can pair them.
    if (held.remote) {
        ReleaseLine line;
        line.command = ComposeCommand(held.remote->command, DEVICE_CLASS_KEYBOARDS, held.remote->code,
                                      held.remote->value, EventIndex(held.index), 0, 0);
        line.line = FormatRemoteLine(held.remote->applicationId, held.remote->destination, line.command);
        end.remote = line;
    }
    if (held.connections) {
        DestinationEvent release = *held.connections;
        release.kind = DestinationEventKind::Release;
        end.connections = release;
    }
    return end;
}

ButtonTransition ButtonTransitionOf(std::int32_t buttonState) {
    switch (buttonState) {
    case kMouseLeftDown:
        return {MouseButton::Left, true};
    case kMouseLeftUp:
        return {MouseButton::Left, false};
    case kMouseRightDown:
        return {MouseButton::Right, true};
    case kMouseRightUp:
        return {MouseButton::Right, false};
    case kMouseMiddleDown:
        return {MouseButton::Middle, true};
    case kMouseMiddleUp:
        return {MouseButton::Middle, false};
    default:
        return {};
    }
}
