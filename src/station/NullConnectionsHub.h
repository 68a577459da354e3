#pragma once
// A station without network destinations beyond the REMOTE line: every connection is off, and
// nothing is told or waited for.
#include "connections/ConnectionsHub.h"

class NullConnectionsHub final : public ConnectionsHub {
public:
    void SetNotifyWindow(std::uintptr_t) override {}
    void Start(std::vector<HubConnection>) override {}
    bool AnyOn() const override { return false; }
    void Post(const DestinationEvent&) override {}
    void SetExposure(const std::vector<ExposedDevice>&) override {}
    void Goodbye(MonoMs) override {}
    std::vector<std::size_t> TakeNews() override { return {}; }
    const std::vector<ConnectionStatus>& Statuses() const override { return statuses_; }

private:
    std::vector<ConnectionStatus> statuses_;
};
