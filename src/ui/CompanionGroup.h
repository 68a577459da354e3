#pragma once
// The Companion group of the Connections dialog: Companion's host, its Satellite port and the
// keyboards' layout there ([Companion]), the live status line, and the Satellite client they make.
#include "connections/CompanionSettings.h"
#include "connections/SatelliteClient.h"
#include "ui/ConnectionGroup.h"

// Every time the connection keeps, a parameter as the network thread's times are, so a test can
// make them short.
struct CompanionTimes {
    SatelliteTimes protocol;
    MonoMs firstRetryMs = 1000; // after a failure, doubled up to the 5 s between attempts
};

class CompanionGroup final : public ConnectionGroup {
public:
    explicit CompanionGroup(CompanionTimes times = {}) : m_times(times) {}

    void Load(Settings& settings) override;
    void Exchange(CDataExchange* dx) override;
    int Check(MessageBoxes& boxes, HWND owner) override;
    bool Save(Settings& settings) override;
    int StatusControlId() const override;
    HubConnection Connection(const std::string& station) const override;

private:
    CompanionTimes m_times;
    CompanionSettings m_values;
};
