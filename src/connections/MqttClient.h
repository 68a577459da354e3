#pragma once
// The MQTT destination: publishes each exposed device's events, availability and Home Assistant
// discovery configs under the user's prefixes, tells presses apart as gestures, keeps the broker's retained
// copies true across reconnects and changes of settings, and watches the connection with pings.
#include "connections/ConnectionClient.h"
#include "connections/Gestures.h"
#include "connections/MqttCodec.h"
#include "connections/MqttDiscovery.h"
#include "connections/MqttTopics.h"
#include <optional>
#include <string>
#include <vector>

// What the client needs from the settings, texts already in UTF-8.
struct MqttClientConfig {
    std::string station; // letters and digits
    std::string topic;   // the prefix
    std::string user;    // empty: none
    std::string password;
    bool discovery = true;
    MonoMs keepAliveMs = 30'000;    // the CONNECT keep-alive (whole seconds, at least 1) and the ping pace
    MonoMs refusalRetryMs = 60'000; // after the broker refuses the connection
    std::string discoveryPrefix{kDefaultMqttDiscoveryPrefix};
    MqttTriggers triggers = MqttTriggers::Keypad;
    // Keyboards offer their lock lights as switches (a station that can write them).
    bool lights = false;
    MonoMs doubleMs = kDefaultDoubleMs; // the gestures' windows
    MonoMs longMs = kDefaultLongMs;
    // A connection the broker ends this soon after accepting it was taken over by a client with the
    // same id; the third time within takeoverWindowMs says so.
    MonoMs takeoverMs = 10'000;
    MonoMs takeoverWindowMs = 60'000;
};

// The retained values a client leaves on the broker, handed to the client that replaces it so that
// values under a station, prefix or discovery choice no longer used are cleared.
struct MqttPublishedScope {
    std::string station;
    std::string topic;
    bool discovery = true;
    std::vector<ExposedDevice> devices;     // known: config and availability retained
    std::vector<ExposedDevice> dueRemovals; // gone, their removal not yet acknowledged
    std::string discoveryPrefix{kDefaultMqttDiscoveryPrefix};
};

// Reconnects come at most this far apart.
inline constexpr MonoMs kMqttReconnectCapMs = 10'000;

class MqttClient final : public ConnectionClient {
public:
    explicit MqttClient(MqttClientConfig config, std::optional<MqttPublishedScope> previous = std::nullopt);

    std::string_view PeerName() const override { return "the MQTT broker"; }
    void OnConnected(MonoMs now) override;
    void OnReceived(std::string_view bytes, MonoMs now) override;
    void OnClosed(MonoMs now) override;
    void OnTick(MonoMs now) override;
    // The moment of the next single or long, so that it goes out then and not at the next tick.
    MonoMs TickDue() const override { return state_ == State::Up ? gestures_.NextDue() : 0; }
    void OnEvent(const DestinationEvent& event, MonoMs now) override;
    void OnExposure(const std::vector<ExposedDevice>& devices, MonoMs now) override;
    void OnGoodbye(MonoMs now) override;
    // A previous MQTT client's retained values: cleared when they are under other names.
    void Follow(const ConnectionClient& previous) override;
    std::string TakeOutput() override;
    std::vector<LightChange> TakeLights() override;
    bool WantsClose() const override { return wantsClose_; }
    MonoMs RetryNotBefore() const override { return retryNotBefore_; }
    // "as CLIENTID" while connected; the reason after a refusal or a lost connection.
    std::string StatusDetail() const override { return detail_; }
    bool Established() const override { return state_ == State::Up || state_ == State::Closing; }
    std::string Mismatch() const override { return mismatch_; }
    std::string Warning() const override { return warning_; }

    const std::string& ClientId() const { return clientId_; }
    MqttPublishedScope PublishedScope() const;

private:
    enum class State { Down, AwaitingConnack, Up, Closing };
    // A QoS 1 publish whose acknowledgement settles something.
    struct Pending {
        std::uint16_t packetId;
        bool leftover; // the last clear of the previous scope; else a removal of `device`
        ExposedDevice device;
    };

    void Adopt(MqttPublishedScope previous);
    std::uint16_t Publish(std::string_view topic, std::string_view payload, int qos, bool retain);
    void PublishDevice(const ExposedDevice& device);
    void PublishRemoval(const ExposedDevice& device);
    void ClearLeftover();
    void PublishGestures(const std::vector<Gesture>& gestures);
    void OnConnack(std::uint8_t code, MonoMs now);
    void Lose(std::string detail);
    // The broker ended a connection that it had accepted.
    void NoteEnd(MonoMs now);

    MqttClientConfig config_;
    MqttTopics topics_;
    MqttDiscovery discovery_;
    GestureTracker gestures_;
    std::vector<Gesture> gestureOut_;
    std::string clientId_;
    std::optional<MqttPublishedScope> leftover_;
    std::vector<ExposedDevice> known_;
    std::vector<ExposedDevice> dueRemovals_;
    std::vector<Pending> pending_;

    State state_ = State::Down;
    MqttPacketReader reader_;
    std::vector<MqttInbound> inbound_;
    std::string output_;
    std::vector<LightChange> lights_;
    std::uint16_t lastPacketId_ = 0;
    MonoMs now_ = 0; // the time of the call being handled
    MonoMs connectedAt_ = 0;
    MonoMs lastSentAt_ = 0;
    MonoMs lastReceivedAt_ = 0;
    std::optional<MonoMs> pingSentAt_;
    bool wantsClose_ = false;
    MonoMs retryNotBefore_ = 0;
    std::string detail_;
    std::string mismatch_;
    MonoMs upAt_ = 0;
    std::vector<MonoMs> takeovers_; // when the broker ended a connection right after accepting it
    std::string warning_;
};
