#pragma once
// The small part of MQTT 3.1.1 that kvRemote speaks, as bytes and nothing else: CONNECT with a will,
// PUBLISH at QoS 0 and 1, SUBSCRIBE, PINGREQ and DISCONNECT out; CONNACK, PUBACK, PINGRESP and short
// PUBLISH packets in, any other packet skipped by its length. No socket: the client feeds and takes bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The largest remaining length the four length bytes can carry.
inline constexpr std::uint32_t kMqttMaxRemainingLength = 268'435'455;

enum class MqttPacketType : std::uint8_t {
    Connect = 1,
    Connack = 2,
    Publish = 3,
    Puback = 4,
    Subscribe = 8,
    PingReq = 12,
    PingResp = 13,
    Disconnect = 14,
};

// The remaining-length field: 1 to 4 bytes, 7 bits each, least significant first. Empty above the
// largest length.
std::string EncodeMqttRemainingLength(std::uint32_t length);

struct MqttWill {
    std::string topic;
    std::string payload;
    int qos = 1;
    bool retain = true;
};

struct MqttConnect {
    std::string clientId;
    std::uint16_t keepAliveSeconds = 30;
    bool cleanSession = true;
    std::optional<MqttWill> will;
    std::optional<std::string> user;
    std::optional<std::string> password; // only with a user, as the protocol requires
};

struct MqttPublish {
    std::string_view topic;
    std::string_view payload;
    int qos = 0; // 0 or 1
    bool retain = false;
    std::uint16_t packetId = 0; // QoS 1 only, never 0
};

// Each encoder returns the whole packet, or an empty string when a field is too long for the
// protocol (a string over 65,535 bytes, a packet over the largest length) or breaks its rules.
std::string EncodeMqttConnect(const MqttConnect& connect);
std::string EncodeMqttPublish(const MqttPublish& publish);
// One topic filter at QoS 0.
std::string EncodeMqttSubscribe(std::string_view filter, std::uint16_t packetId);
std::string EncodeMqttPingReq();
std::string EncodeMqttDisconnect();

// A packet the client acts on.
struct MqttInbound {
    MqttPacketType type = MqttPacketType::PingResp;
    std::uint8_t connackCode = 0; // CONNACK: 0 accepted, 1-5 the refusals
    bool sessionPresent = false;  // CONNACK
    std::uint16_t packetId = 0;   // PUBACK, and a PUBLISH at QoS 1
    std::string topic, payload;   // PUBLISH
    int qos = 0;                  // PUBLISH
    bool operator==(const MqttInbound&) const = default;
};

// The longest PUBLISH the reader hands on; a longer one is skipped (the client subscribes to short
// commands only).
inline constexpr std::uint32_t kMqttMaxInboundPublish = 1024;

// Reads the broker's byte stream, split anywhere. Every length is checked before it is trusted; a
// packet the client does not act on is skipped by its length without being kept.
class MqttPacketReader {
public:
    // Appends the packets that the bytes complete to `out`. False once the stream is malformed (a
    // length of more than four bytes, a known packet of the wrong length or flags, packet type 0);
    // it stays false until Reset.
    bool Feed(std::string_view bytes, std::vector<MqttInbound>& out);
    void Reset() { *this = MqttPacketReader{}; }

private:
    enum class Phase : std::uint8_t { Header, Length, Body, Skip };
    bool Complete(std::vector<MqttInbound>& out);
    Phase phase_ = Phase::Header;
    std::uint8_t header_ = 0;
    std::uint32_t length_ = 0;
    int lengthBytes_ = 0;
    std::uint32_t remaining_ = 0; // body bytes still to come
    std::uint8_t body_[2] = {};   // the known packets' bodies are at most 2 bytes
    std::string publish_;         // the body of a PUBLISH short enough to be kept
    bool malformed_ = false;
};
