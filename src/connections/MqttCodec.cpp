#include "connections/MqttCodec.h"
#include <algorithm>

namespace {

constexpr std::size_t kMaxStringLength = 65'535;

void AppendU16(std::string& out, std::size_t value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

// A length-prefixed string; false when it is too long.
bool AppendString(std::string& out, std::string_view text) {
    if (text.size() > kMaxStringLength)
        return false;
    AppendU16(out, text.size());
    out += text;
    return true;
}

// The fixed header in front of a body; empty when the body is too long.
std::string Packet(std::uint8_t header, const std::string& body) {
    if (body.size() > kMqttMaxRemainingLength)
        return {};
    std::string packet(1, static_cast<char>(header));
    packet += EncodeMqttRemainingLength(static_cast<std::uint32_t>(body.size()));
    packet += body;
    return packet;
}

std::uint8_t TypeBits(MqttPacketType type) {
    return static_cast<std::uint8_t>(static_cast<std::uint8_t>(type) << 4);
}

} // namespace

std::string EncodeMqttRemainingLength(std::uint32_t length) {
    if (length > kMqttMaxRemainingLength)
        return {};
    std::string bytes;
    do {
        std::uint8_t digit = length % 128;
        length /= 128;
        if (length > 0)
            digit |= 0x80;
        bytes += static_cast<char>(digit);
    } while (length > 0);
    return bytes;
}

std::string EncodeMqttConnect(const MqttConnect& connect) {
    if (connect.password && !connect.user)
        return {};
    if (connect.will && (connect.will->qos < 0 || connect.will->qos > 2))
        return {};
    std::uint8_t flags = 0;
    if (connect.user)
        flags |= 0x80;
    if (connect.password)
        flags |= 0x40;
    if (connect.will) {
        flags |= 0x04 | static_cast<std::uint8_t>(connect.will->qos << 3);
        if (connect.will->retain)
            flags |= 0x20;
    }
    if (connect.cleanSession)
        flags |= 0x02;

    std::string body;
    AppendString(body, "MQTT");
    body += '\x04'; // protocol level 4: 3.1.1
    body += static_cast<char>(flags);
    AppendU16(body, connect.keepAliveSeconds);
    bool fits = AppendString(body, connect.clientId);
    if (connect.will)
        fits = fits && AppendString(body, connect.will->topic) && AppendString(body, connect.will->payload);
    if (connect.user)
        fits = fits && AppendString(body, *connect.user);
    if (connect.password)
        fits = fits && AppendString(body, *connect.password);
    return fits ? Packet(TypeBits(MqttPacketType::Connect), body) : std::string{};
}

std::string EncodeMqttPublish(const MqttPublish& publish) {
    if (publish.qos < 0 || publish.qos > 1 || (publish.qos == 1 && publish.packetId == 0))
        return {};
    std::string body;
    if (!AppendString(body, publish.topic))
        return {};
    if (publish.qos == 1)
        AppendU16(body, publish.packetId);
    body += publish.payload;
    const std::uint8_t header = TypeBits(MqttPacketType::Publish) |
                                static_cast<std::uint8_t>(publish.qos << 1) | (publish.retain ? 0x01 : 0x00);
    return Packet(header, body);
}

std::string EncodeMqttPingReq() {
    return Packet(TypeBits(MqttPacketType::PingReq), {});
}

std::string EncodeMqttSubscribe(std::string_view filter, std::uint16_t packetId) {
    std::string body;
    body += static_cast<char>(packetId >> 8);
    body += static_cast<char>(packetId & 0xFF);
    if (packetId == 0 || filter.empty() || !AppendString(body, filter))
        return {};
    body += '\0'; // QoS 0
    return Packet(TypeBits(MqttPacketType::Subscribe) | 0x02, body);
}

std::string EncodeMqttDisconnect() {
    return Packet(TypeBits(MqttPacketType::Disconnect), {});
}

bool MqttPacketReader::Feed(std::string_view bytes, std::vector<MqttInbound>& out) {
    std::size_t at = 0;
    while (!malformed_ && at < bytes.size()) {
        const auto byte = static_cast<std::uint8_t>(bytes[at]);
        switch (phase_) {
        case Phase::Header:
            header_ = byte;
            length_ = 0;
            lengthBytes_ = 0;
            phase_ = Phase::Length;
            malformed_ = (header_ >> 4) == 0;
            ++at;
            break;
        case Phase::Length:
            length_ |= static_cast<std::uint32_t>(byte & 0x7F) << (7 * lengthBytes_);
            ++lengthBytes_;
            ++at;
            if (byte & 0x80) {
                malformed_ = lengthBytes_ == 4; // a fifth length byte
                break;
            }
            remaining_ = length_;
            switch (static_cast<MqttPacketType>(header_ >> 4)) {
            case MqttPacketType::Connack:
            case MqttPacketType::Puback:
                malformed_ = (header_ & 0x0F) != 0 || length_ != 2;
                phase_ = Phase::Body;
                break;
            case MqttPacketType::PingResp:
                malformed_ = (header_ & 0x0F) != 0 || length_ != 0;
                phase_ = Phase::Body;
                break;
            case MqttPacketType::Publish:
                // QoS 3 is no QoS; a packet too long to be a command is skipped unread.
                malformed_ = ((header_ >> 1) & 0x03) == 3;
                publish_.clear();
                phase_ = length_ <= kMqttMaxInboundPublish ? Phase::Body : Phase::Skip;
                break;
            default:
                phase_ = Phase::Skip;
                break;
            }
            if (!malformed_ && remaining_ == 0 && !Complete(out))
                malformed_ = true;
            break;
        case Phase::Body:
            if (static_cast<MqttPacketType>(header_ >> 4) == MqttPacketType::Publish)
                publish_ += static_cast<char>(byte);
            else
                body_[length_ - remaining_] = byte;
            --remaining_;
            ++at;
            if (remaining_ == 0)
                malformed_ = !Complete(out);
            break;
        case Phase::Skip: {
            const std::size_t take = std::min<std::size_t>(remaining_, bytes.size() - at);
            at += take;
            remaining_ -= static_cast<std::uint32_t>(take);
            if (remaining_ == 0)
                phase_ = Phase::Header;
            break;
        }
        }
    }
    return !malformed_;
}

// The body of the current packet is all there: turns it into a packet for the client.
bool MqttPacketReader::Complete(std::vector<MqttInbound>& out) {
    const auto type = static_cast<MqttPacketType>(header_ >> 4);
    phase_ = Phase::Header;
    MqttInbound packet;
    packet.type = type;
    switch (type) {
    case MqttPacketType::Connack:
        if (body_[0] > 1) // only the session-present bit may be set
            return false;
        packet.sessionPresent = body_[0] == 1;
        packet.connackCode = body_[1];
        break;
    case MqttPacketType::Puback:
        packet.packetId = static_cast<std::uint16_t>((body_[0] << 8) | body_[1]);
        break;
    case MqttPacketType::PingResp:
        break;
    case MqttPacketType::Publish: {
        // Topic (length first), the packet id at QoS 1 and 2, then the payload.
        packet.qos = (header_ >> 1) & 0x03;
        const std::size_t idBytes = packet.qos > 0 ? 2 : 0;
        if (publish_.size() < 2)
            return false;
        const std::size_t topicLength =
            (static_cast<std::uint8_t>(publish_[0]) << 8) | static_cast<std::uint8_t>(publish_[1]);
        if (publish_.size() < 2 + topicLength + idBytes)
            return false;
        packet.topic = publish_.substr(2, topicLength);
        if (idBytes != 0)
            packet.packetId =
                static_cast<std::uint16_t>((static_cast<std::uint8_t>(publish_[2 + topicLength]) << 8) |
                                           static_cast<std::uint8_t>(publish_[3 + topicLength]));
        packet.payload = publish_.substr(2 + topicLength + idBytes);
        publish_.clear();
        break;
    }
    default: // a skipped packet with no body
        return true;
    }
    out.push_back(packet);
    return true;
}
