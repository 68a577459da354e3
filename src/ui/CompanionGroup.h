#pragma once
// The Companion group of the Connections dialog: Companion's host, its Satellite port and the
// keyboards' layout there ([Companion]), the live status line, and the Satellite client they make.
#include "connections/CompanionSettings.h"
#include "station/ConnectionsFromSettings.h"
#include "ui/ConnectionGroup.h"

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
