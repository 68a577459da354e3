#pragma once
// What the station core needs of capture: whether it still holds a device, whether its thread
// runs, and the switch that makes it report key releases. Windows wires the capture controller,
// Linux its capture loop; tests a fake.
class StationCapture {
public:
    virtual ~StationCapture() = default;
    // The device's events reach this station now; a device let go reports no more releases.
    virtual bool Holds(int device) const = 0;
    virtual bool Running() const = 0;
    // Releases of auxiliary keys are reported while some destination wants them.
    virtual void SetReleaseReports(bool on) = 0;
};
