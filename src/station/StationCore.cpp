#include "station/StationCore.h"

#include "capture/Stroke.h"

#include <utility>

void StationCore::OnAuxInput(const AuxInput& in, DeviceClass deviceClass) {
    if (in.release) {
        // Only a key whose press went out, once, with that press's code and value.
        Deliver(tracker_.Released(in.device, in.key));
        return;
    }
    const EventIndex index = in.mainMark ? EventIndex(kMainDeviceMark) : EventIndex(in.index);
    SendRemoteCommand(values_, remote_, in.code, in.value, deviceClass, index);
    if (in.mainMark)
        return;
    const bool toConnections = ConnectionsOn();
    if (deviceClass == DEVICE_CLASS_KEYBOARDS && in.key >= 0) {
        if (const auto press =
                tracker_.KeyPressed(in.device, in.key, in.code, in.value, in.index, values_, toConnections))
            connections_.Post(*press);
    } else if (deviceClass == DEVICE_CLASS_MICE) {
        const ButtonTransition button = ButtonTransitionOf(in.code);
        if (button.button != MouseButton::None && !button.down)
            Deliver(tracker_.ButtonReleased(in.device, button.button));
        else if (button.button != MouseButton::None) {
            if (const auto press = tracker_.ButtonPressed(in.device, button.button, in.index, toConnections))
                connections_.Post(*press);
        } else if (in.code == kMouseWheel && toConnections) {
            DestinationEvent wheel;
            wheel.deviceClass = DEVICE_CLASS_MICE;
            wheel.index = in.index;
            wheel.kind = DestinationEventKind::Wheel;
            wheel.delta = in.value;
            connections_.Post(wheel);
        }
    }
    // Posted before a filter change that left this device unheld here: its release will not be
    // reported, so it ends now (at a stop, after everything taken was sent).
    if (!stopping_ && !capture_.Holds(in.device))
        ForceReleases(in.device);
}

void StationCore::Deliver(const PressEnd& end) {
    if (end.remote)
        SendComposedCommand(remote_, end.remote->command, end.remote->line);
    if (end.connections)
        connections_.Post(*end.connections);
}

void StationCore::ForceReleases(int device) {
    for (const PressEnd& end : tracker_.Force(device))
        Deliver(end);
}

void StationCore::FollowReleaseReports() {
    capture_.SetReleaseReports(!values_.keyboards.releaseTextCmd.empty() || ConnectionsOn());
}

void StationCore::UpdateExposure(ClassFlags wanted) {
    const bool capturing = capture_.Running();
    // A class whose last device went is turned off by the forcing rule; its saved devices stay known
    // as away while the user's choice holds.
    std::vector<ExposedDevice> shown =
        ExposedDevices(devices_, {capturing && values_.keyboards.useAux, capturing && values_.mouses.useAux},
                       {capturing && wanted.keyboards, capturing && wanted.mice});
    if (shown == exposed_)
        return;
    exposed_ = std::move(shown);
    connections_.SetExposure(exposed_);
}

void StationCore::FollowConnections(ClassFlags wanted) {
    // New clients learn the devices they show; releases are reported while any destination wants them.
    exposed_.clear();
    UpdateExposure(wanted);
    FollowReleaseReports();
}

void StationCore::StartConnections(std::vector<HubConnection> connections, ClassFlags wanted) {
    connections_.Start(std::move(connections));
    FollowConnections(wanted);
}

void StationCore::FinishStop(MonoMs spentMs, MonoMs boundMs) {
    stopping_ = true;
    ForceReleases();
    // Within the stop's bound, counted from its start: what is unsent then is dropped.
    connections_.Goodbye(spentMs < boundMs ? boundMs - spentMs : 0);
}
