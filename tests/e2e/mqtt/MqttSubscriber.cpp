#include "MqttSubscriber.h"

#include "connections/MqttCodec.h"

namespace kve2e {

namespace {

using Clock = std::chrono::steady_clock;

std::string Utf8String(std::string_view text) {
    return {static_cast<char>(text.size() >> 8), static_cast<char>(text.size() & 0xFF)};
}

} // namespace

MqttSubscriber::~MqttSubscriber() {
    if (socket_ != kNoSocket)
        CloseSocket(socket_);
}

bool MqttSubscriber::Subscribe(std::uint16_t port, std::string_view filter) {
    socket_ = ConnectLoopback(port);
    if (socket_ == kNoSocket)
        return false;
    static int count = 0;
    MqttConnect connect;
    connect.clientId = "kvsuite" + std::to_string(++count);
    if (!SendAll(socket_, EncodeMqttConnect(connect)))
        return false;
    const auto until = Clock::now() + std::chrono::seconds(10);
    std::uint8_t header = 0;
    std::string body;
    if (!ReadPacket(header, body, until) || header != 0x20 || body.size() != 2 || body[1] != 0)
        return false;
    // SUBSCRIBE, packet id 1, one filter at QoS 0; the SUBACK grants it.
    const std::string payload = std::string("\0\1", 2) + Utf8String(filter) + std::string(filter) + '\0';
    const std::string length = EncodeMqttRemainingLength(static_cast<std::uint32_t>(payload.size()));
    if (!SendAll(socket_, "\x82" + length + payload))
        return false;
    return ReadPacket(header, body, until) && header == 0x90 && body.size() == 3 && body[2] == 0;
}

std::optional<MqttMessage> MqttSubscriber::Next(std::chrono::milliseconds timeout) {
    const auto until = Clock::now() + timeout;
    std::uint8_t header = 0;
    std::string body;
    while (ReadPacket(header, body, until)) {
        if ((header >> 4) != 3 || body.size() < 2)
            continue;
        const std::size_t topicLength =
            (static_cast<unsigned char>(body[0]) << 8) | static_cast<unsigned char>(body[1]);
        const std::size_t idLength = (header & 0x06) != 0 ? 2 : 0;
        if (body.size() < 2 + topicLength + idLength)
            return std::nullopt;
        return MqttMessage{body.substr(2, topicLength), body.substr(2 + topicLength + idLength),
                           (header & 0x01) != 0};
    }
    return std::nullopt;
}

bool MqttSubscriber::WaitFor(std::string_view topic, std::string_view payload,
                             std::chrono::milliseconds timeout) {
    const auto until = Clock::now() + timeout;
    while (Clock::now() < until)
        if (const auto message =
                Next(std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()));
            message && message->topic == topic && message->payload == payload)
            return true;
    return false;
}

bool MqttSubscriber::ReadPacket(std::uint8_t& header, std::string& body, Clock::time_point until) {
    if (!Fill(2, until))
        return false;
    std::uint32_t length = 0;
    std::size_t at = 1;
    for (int shift = 0;; shift += 7, ++at) {
        if (shift > 21 || !Fill(at + 1, until))
            return false;
        const auto byte = static_cast<unsigned char>(buffer_[at]);
        length |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            break;
    }
    if (!Fill(at + 1 + length, until))
        return false;
    header = static_cast<std::uint8_t>(buffer_[0]);
    body = buffer_.substr(at + 1, length);
    buffer_.erase(0, at + 1 + length);
    return true;
}

bool MqttSubscriber::Fill(std::size_t bytes, Clock::time_point until) {
    while (buffer_.size() < bytes) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0 || WaitReadable({socket_}, static_cast<int>(left)).empty())
            return false;
        char chunk[4096];
        const long got = Receive(socket_, chunk, sizeof chunk);
        if (got <= 0)
            return false;
        buffer_.append(chunk, static_cast<std::size_t>(got));
    }
    return true;
}

} // namespace kve2e
