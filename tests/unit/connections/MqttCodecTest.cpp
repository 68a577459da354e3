// The MQTT bytes: the remaining length as the MQTT 3.1.1 standard's table gives it, and the reader
// on streams split anywhere, skipping what it does not act on and refusing what breaks the rules.
#include "connections/MqttClient.h"
#include "connections/MqttCodec.h"
#include <gtest/gtest.h>

namespace {

using Bytes = std::string;

// The boundaries of the MQTT 3.1.1 standard's remaining-length table (its section 2.2.3).
const struct {
    std::uint32_t length;
    Bytes bytes;
} kRemainingLengths[] = {
    {0, Bytes("\x00", 1)},
    {127, "\x7F"},
    {128, "\x80\x01"},
    {16'383, "\xFF\x7F"},
    {16'384, "\x80\x80\x01"},
    {2'097'151, "\xFF\xFF\x7F"},
    {2'097'152, "\x80\x80\x80\x01"},
    {268'435'455, "\xFF\xFF\xFF\x7F"},
};

TEST(MqttRemainingLength, EncodesTheSpecificationsExamplesByteForByte) {
    for (const auto& example : kRemainingLengths)
        EXPECT_EQ(EncodeMqttRemainingLength(example.length), example.bytes) << example.length;
    EXPECT_EQ(EncodeMqttRemainingLength(268'435'456), "");
}

TEST(MqttPacketReader, SkipsAnUnknownPacketByExactlyItsLength) {
    const Bytes pingResp("\xD0\x00", 2);
    for (const auto& example : kRemainingLengths) {
        if (example.length > 2'097'152)
            continue;
        // A SUBACK of that length, then a PINGRESP fed one byte at a time at the seam.
        const Bytes stream = "\x90" + example.bytes + Bytes(example.length, '\x01') + pingResp;
        MqttPacketReader reader;
        std::vector<MqttInbound> packets;
        ASSERT_TRUE(reader.Feed(std::string_view(stream).substr(0, stream.size() - 1), packets));
        ASSERT_TRUE(reader.Feed(std::string_view(stream).substr(stream.size() - 1), packets));
        ASSERT_EQ(packets.size(), 1u) << example.length;
        EXPECT_EQ(packets[0].type, MqttPacketType::PingResp);
    }
}

TEST(MqttPacketReader, ReadsTheBrokersAnswersSplitAnywhere) {
    const Bytes stream("\x20\x02\x01\x05"  // CONNACK: session present, not authorised
                       "\x40\x02\xAB\xCD"  // PUBACK 0xABCD
                       "\x30\x03\x00\x01t" // a PUBLISH to us: topic "t", no payload
                       "\xD0\x00",         // PINGRESP
                       15);
    for (std::size_t split = 0; split <= stream.size(); ++split) {
        MqttPacketReader reader;
        std::vector<MqttInbound> packets;
        ASSERT_TRUE(reader.Feed(stream.substr(0, split), packets));
        ASSERT_TRUE(reader.Feed(stream.substr(split), packets));
        ASSERT_EQ(packets.size(), 4u) << split;
        EXPECT_EQ(packets[0].type, MqttPacketType::Connack);
        EXPECT_TRUE(packets[0].sessionPresent);
        EXPECT_EQ(packets[0].connackCode, 5);
        EXPECT_EQ(packets[1].packetId, 0xABCD);
        EXPECT_EQ(packets[2].topic, "t");
        EXPECT_EQ(packets[3].type, MqttPacketType::PingResp);
    }
}

TEST(MqttPacketReader, RefusesWhatBreaksTheRules) {
    for (const Bytes& bad : {Bytes("\x90\x80\x80\x80\x80\x01", 6), // a fifth length byte
                             Bytes("\x20\x03\x00\x00\x00", 5),     // CONNACK of 3 bytes
                             Bytes("\x40\x01\x00", 3),             // PUBACK of 1 byte
                             Bytes("\xD0\x01\x00", 3),             // PINGRESP with a body
                             Bytes("\x22\x02\x00\x00", 4),         // CONNACK with flags
                             Bytes("\x20\x02\x02\x00", 4),         // reserved acknowledge flags
                             Bytes("\x00\x00", 2)}) {              // packet type 0
        MqttPacketReader reader;
        std::vector<MqttInbound> packets;
        EXPECT_FALSE(reader.Feed(bad, packets)) << testing::PrintToString(bad);
        EXPECT_FALSE(reader.Feed(Bytes("\xD0\x00", 2), packets)) << "stays malformed";
        EXPECT_TRUE(packets.empty());
    }
}

// The client pings when quiet and counts the connection lost when the ping is not answered within the
// keep-alive; a refusal names its reason and asks for a long wait.
TEST(MqttClientTiming, PingsWhenIdleAndIsLostWithoutAnAnswer) {
    MqttClientConfig config;
    config.station = "S";
    config.topic = "kv";
    config.keepAliveMs = 1000;
    MqttClient client(config);
    client.OnConnected(0);
    client.OnReceived(Bytes("\x20\x02\x00\x00", 4), 10);
    client.TakeOutput();
    client.OnTick(400);
    EXPECT_EQ(client.TakeOutput(), "");
    client.OnTick(510);
    EXPECT_EQ(client.TakeOutput(), Bytes("\xC0\x00", 2));
    client.OnReceived(Bytes("\xD0\x00", 2), 600);
    client.OnTick(1400);
    EXPECT_FALSE(client.WantsClose());
    EXPECT_EQ(client.TakeOutput(), Bytes("\xC0\x00", 2));
    client.OnTick(2399);
    EXPECT_FALSE(client.WantsClose());
    client.OnTick(2400);
    EXPECT_TRUE(client.WantsClose());
    EXPECT_EQ(client.StatusDetail(), "no answer to a ping within the keep-alive");

    client.OnClosed(2400);
    client.OnConnected(3000);
    client.OnReceived(Bytes("\x20\x02\x00\x04", 4), 3010);
    EXPECT_TRUE(client.WantsClose());
    EXPECT_EQ(client.StatusDetail(), "refused: bad user name or password");
    EXPECT_EQ(client.RetryNotBefore(), 3010 + 60'000);
    EXPECT_FALSE(client.Established()) << "a refusal is no connection that worked";

    // A 3.1.1 broker refuses a keep-alive above its max_keepalive as "identifier rejected" (mosquitto
    // after 2.0.11; 2.0.11 here accepts it): the line names the keep-alive.
    client.OnClosed(3100);
    client.OnConnected(4000);
    client.OnReceived(Bytes("\x20\x02\x00\x02", 4), 4010);
    EXPECT_EQ(client.StatusDetail(),
              "refused: identifier rejected (the keep-alive may be above the broker's limit)");

    // A web server given for the broker answers, but not with a CONNACK.
    client.OnClosed(4100);
    client.OnConnected(5000);
    client.OnReceived("HTTP/1.1 400 Bad Request\r\n", 5010);
    EXPECT_TRUE(client.WantsClose());
    EXPECT_EQ(client.Mismatch(), "not an MQTT broker");
}

// A keyboard's lock lights as switches: the client subscribes once connected, reads the commands
// whatever their split, and ignores what is not one; the discovery names their command topics.
TEST(MqttLights, TheSwitchesCommandsBecomeLightChanges) {
    MqttClientConfig config;
    config.station = "S";
    config.topic = "kv";
    config.lights = true;
    MqttClient client(config);
    client.OnExposure({{DEVICE_CLASS_KEYBOARDS, 5}}, 0);
    client.OnConnected(0);
    client.OnReceived(Bytes("\x20\x02\x00\x00", 4), 10);
    const std::string filter = "kv/S/keyboard/+/+/set";
    const Bytes subscribe = EncodeMqttSubscribe(filter, 2);
    EXPECT_EQ(subscribe, Bytes("\x82\x1A\x00\x02\x00\x15", 6) + filter + Bytes("\x00", 1));
    const std::string sent = client.TakeOutput();
    EXPECT_NE(sent.find(subscribe), std::string::npos);
    EXPECT_NE(sent.find("\"command_topic\":\"kv/S/keyboard/5/capslock/set\""), std::string::npos);

    const auto publish = [](const std::string& topic, const std::string& payload, int qos) {
        Bytes body = Bytes(1, static_cast<char>(topic.size() >> 8)) + static_cast<char>(topic.size()) + topic;
        if (qos == 1)
            body += Bytes("\x00\x07", 2);
        return static_cast<char>(0x30 | (qos << 1)) +
               EncodeMqttRemainingLength(static_cast<std::uint32_t>(body.size() + payload.size())) + body +
               payload;
    };
    const Bytes stream = publish("kv/S/keyboard/5/numlock/set", "ON", 0) +
                         publish("kv/S/keyboard/5/scrolllock/set", "maybe", 0) +
                         publish("kv/S/keyboard/12/capslock/set", "OFF", 1) +
                         publish("kv/T/keyboard/5/numlock/set", "ON", 0) +
                         publish("kv/S/keyboard/5/numlock/set", std::string(2000, 'x'), 0);
    for (std::size_t at = 0; at < stream.size(); at += 7)
        client.OnReceived(stream.substr(at, 7), 20);
    EXPECT_FALSE(client.WantsClose()) << client.StatusDetail();
    const std::vector<LightChange> lights = client.TakeLights();
    ASSERT_EQ(lights.size(), 2u);
    EXPECT_EQ(lights[0], (LightChange{5, LockLight::Num, true}));
    EXPECT_EQ(lights[1], (LightChange{12, LockLight::Caps, false}));

    client.OnReceived(Bytes("\x30\x01\x00", 3), 30);
    EXPECT_TRUE(client.WantsClose()) << "a PUBLISH without its topic is malformed";
}

} // namespace
