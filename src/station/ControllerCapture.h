#pragma once
// The station core's view of the capture controller (the Windows station's capture thread).
#include "station/StationCapture.h"
#include "capture/CaptureController.h"

class ControllerCapture final : public StationCapture {
public:
    explicit ControllerCapture(CaptureController& controller) : controller_(controller) {}
    bool Holds(int device) const override { return controller_.Holds(device); }
    bool Running() const override { return controller_.ThreadRunning(); }
    void SetReleaseReports(bool on) override { controller_.SetReleaseReports(on); }

private:
    CaptureController& controller_;
};
