// The MQTT client against a real mosquitto broker on loopback, watched by mosquitto_sub: what a Home
// Assistant or any other subscriber sees.
#include "ChildProcess.h"
#include "LoopbackDriver.h"
#include "MosquittoBroker.h"
#include "TempDir.h"
#include "KvVersion.h"
#include "connections/MqttClient.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

const ExposedDevice kKeypad3{DEVICE_CLASS_KEYBOARDS, 3};
const ExposedDevice kKeypad4{DEVICE_CLASS_KEYBOARDS, 4};
const ExposedDevice kMouse1{DEVICE_CLASS_MICE, 1};
const std::vector<std::string> kAllTopics = {"kvremote/#", "homeassistant/#"};

DestinationEvent Key(DestinationEventKind kind, int index, std::int32_t code, std::int16_t value) {
    DestinationEvent event;
    event.index = index;
    event.kind = kind;
    event.code = code;
    event.value = value;
    return event;
}

MqttClientConfig Config(std::string station) {
    MqttClientConfig config;
    config.station = std::move(station);
    config.topic = "kvremote";
    return config;
}

class MqttBrokerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string missing = MosquittoBroker::MissingReason(); !missing.empty())
            GTEST_SKIP() << missing;
    }
    // Connects the client and waits for the broker's CONNACK.
    static bool ConnectAndWait(LoopbackDriver& driver, const MqttClient& client) {
        return driver.RunUntil([&] { return client.StatusDetail() == "as " + client.ClientId(); }, 5s);
    }

    TempDir dir;
};

TEST_F(MqttBrokerTest, PublishesOnlineDevicesAndEventsAndSaysOfflineAtAGoodbye) {
    MosquittoBroker broker(dir.File(""));
    ASSERT_TRUE(broker.Start());
    auto live = broker.Subscribe(kAllTopics);
    ASSERT_TRUE(live);

    MqttClient client(Config("Studio1"));
    LoopbackDriver driver(client, broker.Port());
    driver.Exposure({kMouse1, kKeypad3});
    ASSERT_TRUE(ConnectAndWait(driver, client));
    EXPECT_EQ(client.ClientId(), "kvremoteStudio1");
    driver.Event(Key(DestinationEventKind::Press, 3, 103, 4));
    driver.Event(Key(DestinationEventKind::Release, 3, 103, 4));
    DestinationEvent wheel{DEVICE_CLASS_MICE, 1, DestinationEventKind::Wheel};
    wheel.delta = -120;
    driver.Event(wheel);
    DestinationEvent button{DEVICE_CLASS_MICE, 1, DestinationEventKind::Press};
    button.button = MouseButton::Middle;
    driver.Event(button);

    const auto seen = live->ReadUntil("\"middle\"", 5s);
    ASSERT_TRUE(seen);
    EXPECT_THAT(*seen,
                IsSupersetOf({
                    "MSG 0 kvremote/Studio1/status online",
                    "MSG 0 kvremote/Studio1/keyboard/3/availability online",
                    "MSG 0 kvremote/Studio1/mouse/1/availability online",
                    R"(MSG 0 kvremote/Studio1/keyboard/3 {"event_type":"press","code":103,"value":4})",
                    R"(MSG 0 kvremote/Studio1/keyboard/3 {"event_type":"release","code":103,"value":4})",
                    R"(MSG 0 kvremote/Studio1/mouse/1 {"event_type":"wheel","delta":-120})",
                    R"(MSG 0 kvremote/Studio1/mouse/1 {"event_type":"press","button":"middle"})",
                }));

    // What a subscriber that comes later (Home Assistant after a restart) is told.
    const std::vector<std::string> retained = broker.Retained(kAllTopics);
    EXPECT_THAT(retained, IsSupersetOf({
                              "MSG 1 kvremote/Studio1/status online",
                              "MSG 1 kvremote/Studio1/keyboard/3/availability online",
                              "MSG 1 kvremote/Studio1/mouse/1/availability online",
                          }));
    EXPECT_THAT(retained, Contains(HasSubstr("MSG 1 homeassistant/event/Studio1_keyboard_3/config {")));
    EXPECT_THAT(retained, Contains(HasSubstr("MSG 1 homeassistant/event/Studio1_mouse_1/config {")));

    driver.Goodbye();
    EXPECT_TRUE(live->ReadUntil("MSG 0 kvremote/Studio1/status offline", 5s));
}

// Home Assistant reads the config as JSON; Python's reader is the judge, and prints it back with sorted
// keys for one exact comparison.
TEST_F(MqttBrokerTest, TheDiscoveryConfigIsJsonWithTheEntitysFields) {
    const std::string python = ChildProcess::Find("python3");
    if (python.empty())
        GTEST_SKIP() << "python3 is not installed";
    MosquittoBroker broker(dir.File(""));
    ASSERT_TRUE(broker.Start());
    MqttClient client(Config("Hall"));
    LoopbackDriver driver(client, broker.Port());
    driver.Exposure({kMouse1});
    ASSERT_TRUE(ConnectAndWait(driver, client));
    driver.RunFor(200ms);

    const auto retained = broker.Retained({"homeassistant/event/Hall_mouse_1/config"});
    ASSERT_EQ(retained.size(), 1u);
    const std::string json = retained[0].substr(retained[0].find('{'));
    ChildProcess reader(
        {python, "-c", "import json,sys; print(json.dumps(json.load(sys.stdin), sort_keys=True))"}, json);
    const auto canonical = reader.ReadLine(10s);
    ASSERT_TRUE(canonical) << json;
    EXPECT_EQ(
        *canonical,
        R"({"availability": [{"topic": "kvremote/Hall/status"}, {"topic": "kvremote/Hall/mouse/1/availability"}], )"
        R"("availability_mode": "all", "device": {"identifiers": ["kvremote_Hall"], "manufacturer": "Korvane", )"
        R"("model": "kvRemote", "name": "kvRemote Hall", "sw_version": ")" KV_VERSION_TEXT R"("}, )"
        R"("event_types": ["press", "release", "wheel"], "name": "Mouse 1", )"
        R"("state_topic": "kvremote/Hall/mouse/1", "unique_id": "kvremote_Hall_mouse_1"})");
}

TEST_F(MqttBrokerTest, TheWillSaysOfflineWhenTheConnectionIsCut) {
    MosquittoBroker broker(dir.File(""));
    ASSERT_TRUE(broker.Start());
    MqttClient client(Config("Stage"));
    LoopbackDriver driver(client, broker.Port());
    ASSERT_TRUE(ConnectAndWait(driver, client));
    auto live = broker.Subscribe({"kvremote/Stage/status"});
    ASSERT_TRUE(live);
    driver.Cut();
    EXPECT_TRUE(live->ReadUntil("kvremote/Stage/status offline", 5s));
    EXPECT_THAT(broker.Retained({"kvremote/Stage/status"}),
                UnorderedElementsAre("MSG 1 kvremote/Stage/status offline"));
}

TEST_F(MqttBrokerTest, AWrongPasswordIsRefusedReportedAndNotRetriedSoon) {
    MosquittoBroker broker(dir.File(""), "kv", "sécret");
    ASSERT_TRUE(broker.Start());
    MqttClientConfig config = Config("Desk");
    config.user = "kv";
    config.password = "wrong";
    config.refusalRetryMs = 1500;
    MqttClient refused(config);
    LoopbackDriver driver(refused, broker.Port(), 50);
    ASSERT_TRUE(driver.RunUntil([&] { return !refused.StatusDetail().empty(); }, 5s));
    EXPECT_EQ(refused.StatusDetail(), "refused: not authorised");
    ASSERT_TRUE(driver.RunUntil([&] { return driver.Attempts().size() == 2; }, 5s));
    EXPECT_GE(driver.Attempts()[1] - driver.Attempts()[0], 1500);

    config.password = "sécret";
    MqttClient accepted(config);
    LoopbackDriver right(accepted, broker.Port());
    EXPECT_TRUE(ConnectAndWait(right, accepted)) << accepted.StatusDetail();
}

TEST_F(MqttBrokerTest, TwoStationsWithOneNameTakeTheClientIdFromEachOtherAndAreToldSo) {
    MosquittoBroker broker(dir.File(""));
    ASSERT_TRUE(broker.Start());
    MqttClient first(Config("Twin"));
    MqttClient second(Config("Twin"));
    LoopbackDriver one(first, broker.Port());
    LoopbackDriver other(second, broker.Port());
    ASSERT_TRUE(ConnectAndWait(one, first));
    EXPECT_TRUE(first.Warning().empty());
    // The broker lets the newer connection with the id take over, and the older one comes back.
    for (int round = 0; round < 100 && first.Warning().empty(); ++round) {
        other.RunFor(20ms);
        one.RunFor(20ms);
    }
    EXPECT_THAT(first.Warning(), HasSubstr("does another client use the id kvremoteTwin"));
}

TEST_F(MqttBrokerTest, AfterABrokerRestartEverythingIsSaidAgainAndNoEventIsReplayed) {
    MosquittoBroker broker(dir.File(""));
    ASSERT_TRUE(broker.Start());
    MqttClient client(Config("Booth"));
    LoopbackDriver driver(client, broker.Port());
    driver.Exposure({kKeypad3});
    ASSERT_TRUE(ConnectAndWait(driver, client));

    broker.Stop();
    ASSERT_TRUE(driver.RunUntil([&] { return !driver.Connected(); }, 5s));
    // While the broker is away: a press, keypad 3's index goes and keypad 4 comes, unplugged.
    driver.Event(Key(DestinationEventKind::Press, 3, 103, 0));
    driver.Exposure({{DEVICE_CLASS_KEYBOARDS, 4, false}});

    ASSERT_TRUE(broker.Start());
    auto live = broker.Subscribe(kAllTopics);
    ASSERT_TRUE(live);
    ASSERT_TRUE(ConnectAndWait(driver, client));
    driver.RunFor(300ms);
    const std::vector<std::string> seen = live->ReadFor(500ms);
    EXPECT_THAT(seen, IsSupersetOf({
                          "MSG 0 kvremote/Booth/status online",
                          "MSG 0 kvremote/Booth/keyboard/4/availability offline",
                          "MSG 0 kvremote/Booth/keyboard/3/availability offline",
                          "MSG 0 homeassistant/event/Booth_keyboard_3/config ",
                      }));
    EXPECT_THAT(seen, Contains(HasSubstr("MSG 0 homeassistant/event/Booth_keyboard_4/config {")));
    EXPECT_THAT(seen, Not(Contains(HasSubstr(R"("event_type":)"))));
}

TEST_F(MqttBrokerTest, ANewStationNameClearsWhatTheOldOneLeftRetained) {
    MosquittoBroker broker(dir.File(""));
    ASSERT_TRUE(broker.Start());
    MqttClient old(Config("Old"));
    LoopbackDriver oldDriver(old, broker.Port());
    oldDriver.Exposure({kKeypad3});
    ASSERT_TRUE(ConnectAndWait(oldDriver, old));
    oldDriver.Goodbye();

    MqttClient renamed(Config("New"), old.PublishedScope());
    LoopbackDriver driver(renamed, broker.Port());
    driver.Exposure({kKeypad3});
    ASSERT_TRUE(ConnectAndWait(driver, renamed));
    driver.RunFor(300ms);
    const std::vector<std::string> retained = broker.Retained(kAllTopics);
    EXPECT_THAT(retained, Not(Contains(HasSubstr("Old"))));
    EXPECT_THAT(retained, Contains(HasSubstr("MSG 1 homeassistant/event/New_keyboard_3/config {")));
    EXPECT_THAT(retained, Contains("MSG 1 kvremote/New/keyboard/3/availability online"));
}

} // namespace
