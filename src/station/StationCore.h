#pragma once
// The station core: what every station (the Windows dialog, the Linux daemon) does with one
// captured auxiliary event and around it. It sends the REMOTE line and tells the network
// destinations, keeps what is down so each press a destination got ends exactly once (at its
// release, or forced), keeps the devices the destinations show, and orders their start and their
// goodbye. One thread: the one the events are handled on. What only a window shows stays with the
// RemoteSenderHost.
#include "station/Exposure.h"
#include "station/PressTracker.h"
#include "station/RemoteSender.h"
#include "station/SettingsValues.h"
#include "station/StationCapture.h"
#include "capture/AuxInputMessage.h"
#include "capture/DeviceTable.h"
#include "connections/ConnectionsHub.h"

#include <vector>

class StationCore {
public:
    // values: the live settings (the station may edit them between events).
    StationCore(const SettingsValues& values, const DeviceTable& devices, RemoteSenderHost& remote,
                ConnectionsHub& connections, StationCapture& capture)
        : values_(values), devices_(devices), remote_(remote), connections_(connections), capture_(capture) {}

    // One unpacked event of the device's class: its REMOTE line, then the connections' event. A
    // device capture no longer holds has its presses ended now, as no release will come for them.
    void OnAuxInput(const AuxInput& in, DeviceClass deviceClass);
    // The releases of the keys and buttons still down (of one device, or all for 0), sent now.
    void ForceReleases(int device = 0);
    // Some connection is on: they want every event.
    bool ConnectionsOn() const { return connections_.AnyOn(); }
    // Capture reports releases while a release command is set or a connection is on.
    void FollowReleaseReports();
    // The connections are told which (class, index) they show, when that changed. wanted: the
    // classes' UseAux as the file or the user wants it, before the forcing rule.
    void UpdateExposure(ClassFlags wanted);
    // After the connections were (re)started: their exposure anew and the release reports.
    void FollowConnections(ClassFlags wanted);
    // Replaces the connections with these, then follows them.
    void StartConnections(std::vector<HubConnection> connections, ClassFlags wanted);
    // At a stop, once capture ended and what it posted was handled: every press still down ends,
    // then every connection says goodbye within what is left of boundMs after spentMs.
    void FinishStop(MonoMs spentMs, MonoMs boundMs);
    // From now on a device that is no longer held is not forced at each event: the stop forces all.
    void BeginStop() { stopping_ = true; }

    const std::vector<ExposedDevice>& Exposed() const { return exposed_; }

private:
    void Deliver(const PressEnd& end);

    const SettingsValues& values_;
    const DeviceTable& devices_;
    RemoteSenderHost& remote_;
    ConnectionsHub& connections_;
    StationCapture& capture_;
    // Auxiliary keys and buttons down, and what each destination was told of them.
    PressTracker tracker_;
    std::vector<ExposedDevice> exposed_; // as the connections were last told
    bool stopping_ = false;
};
