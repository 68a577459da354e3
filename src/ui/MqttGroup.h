#pragma once
// The MQTT and Home Assistant groups of the Connections dialog: the broker, the account, the topic
// prefix, discovery and the keep-alive of [Mqtt], the discovery prefix, the device triggers and the
// gestures' times, and the publisher they describe. A section that fails its checks (a file
// edited by hand) leaves MQTT off; the dialog shows the value to mend.
#include "connections/MqttSettings.h"
#include "ui/ConnectionGroup.h"

class MqttGroup final : public ConnectionGroup {
public:
    void Load(Settings& settings) override;
    void Exchange(CDataExchange* dx) override;
    int Check(MessageBoxes& boxes, HWND owner) override;
    bool Save(Settings& settings) override;
    int StatusControlId() const override;
    HubConnection Connection(const std::string& station) const override;

private:
    MqttSettings m_values;
};
