#pragma once
// The MQTT and Home Assistant groups of the Connections dialog: the broker, the account, the topic
// prefix, discovery, the keep-alive and TLS with its CA file of [Mqtt], the discovery prefix, the
// device triggers and the gestures' times, and the publisher they describe. The password is kept
// protected for this PC. A section that fails its checks (a file
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
    void OnShown(HWND dialog) override;
    bool OnCommand(HWND dialog, int id, int code) override;

private:
    MqttSettings m_values;
};
