#pragma once
// A subscriber of the suite's own on the loopback broker, over Winsock: what the program published, as
// a subscriber sees it (topic, payload, and whether it came as a retained copy).
#include "LoopbackSocket.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace kve2e {

struct MqttMessage {
    std::string topic;
    std::string payload;
    bool retained = false;
};

class MqttSubscriber {
public:
    MqttSubscriber() = default;
    ~MqttSubscriber();
    MqttSubscriber(const MqttSubscriber&) = delete;
    MqttSubscriber& operator=(const MqttSubscriber&) = delete;

    // Connects to 127.0.0.1:port and subscribes to filter (QoS 0); false when the broker did not
    // accept either.
    bool Subscribe(std::uint16_t port, std::string_view filter);
    // The next message, or nothing within timeout.
    std::optional<MqttMessage> Next(std::chrono::milliseconds timeout);
    // Reads until a message on topic with payload comes; what came before it is passed over.
    bool WaitFor(std::string_view topic, std::string_view payload, std::chrono::milliseconds timeout);

private:
    // The next whole packet: its first byte and its body.
    bool ReadPacket(std::uint8_t& header, std::string& body, std::chrono::steady_clock::time_point until);
    bool Fill(std::size_t bytes, std::chrono::steady_clock::time_point until);

    SocketSession session_;
    SocketHandle socket_ = kNoSocket;
    std::string buffer_;
};

} // namespace kve2e
