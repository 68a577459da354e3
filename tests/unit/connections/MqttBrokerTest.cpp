// The MQTT client against a real mosquitto broker on loopback, watched by mosquitto_sub: what a Home
// Assistant or any other subscriber sees, the device discovery configs judged against the keys Home
// Assistant's schemas require.
#include "ChildProcess.h"
#include "LoopbackDriver.h"
#include "MosquittoBroker.h"
#include "TempDir.h"
#include "KvVersion.h"
#include "connections/MqttClient.h"
#if KV_HAVE_NETWORK_POSIX
#include "PosixHubWait.h"
#endif
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
    event.key = code == 103 ? 0x47 : -1; // keypad 7
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

    // The single of keypad 7 comes once the double window after its release has passed, the middle
    // button's long once it has been held for the long time.
    driver.RunFor(800ms);
    const auto seen = live->ReadUntil(R"("event_type":"single")", 5s);
    ASSERT_TRUE(seen);
    EXPECT_THAT(
        *seen,
        IsSupersetOf({
            "MSG 0 kvremote/Studio1/status online",
            "MSG 0 kvremote/Studio1/keyboard/3/availability online",
            "MSG 0 kvremote/Studio1/mouse/1/availability online",
            R"(MSG 0 kvremote/Studio1/keyboard/3 {"event_type":"press","key":"kp_7","code":103,"value":4})",
            R"(MSG 0 kvremote/Studio1/keyboard/3 {"event_type":"release","key":"kp_7","code":103,"value":4})",
            R"(MSG 0 kvremote/Studio1/mouse/1 {"event_type":"wheel","delta":-120})",
            R"(MSG 0 kvremote/Studio1/mouse/1 {"event_type":"press","button":"middle"})",
            R"(MSG 0 kvremote/Studio1/keyboard/3 {"event_type":"single","key":"kp_7","code":103,"value":4})",
        }));
    // The middle button is still down: long, once.
    EXPECT_TRUE(
        live->ReadUntil(R"(MSG 0 kvremote/Studio1/mouse/1 {"event_type":"long","button":"middle"})", 5s));

    // What a subscriber that comes later (Home Assistant after a restart) is told.
    const std::vector<std::string> retained = broker.Retained(kAllTopics);
    EXPECT_THAT(retained, IsSupersetOf({
                              "MSG 1 kvremote/Studio1/status online",
                              "MSG 1 kvremote/Studio1/keyboard/3/availability online",
                              "MSG 1 kvremote/Studio1/mouse/1/availability online",
                          }));
    EXPECT_THAT(retained, Contains(HasSubstr("MSG 1 homeassistant/device/kvremote_Studio1/config {")));
    EXPECT_THAT(retained,
                Contains(HasSubstr("MSG 1 homeassistant/device/kvremote_Studio1_keyboard_3/config {")));
    EXPECT_THAT(retained,
                Contains(HasSubstr("MSG 1 homeassistant/device/kvremote_Studio1_mouse_1/config {")));
    EXPECT_THAT(retained, Not(Contains(HasSubstr("homeassistant/event/"))));

    driver.Goodbye();
    EXPECT_TRUE(live->ReadUntil("MSG 0 kvremote/Studio1/status offline", 5s));
}

#if KV_HAVE_NETWORK_POSIX
// The station's own network hub over POSIX sockets: what a subscriber sees of a press, the
// goodbye's offline within its bound, and a TLS connection refused with a reason.
TEST_F(MqttBrokerTest, ThePosixHubPublishesAPressAndSaysOfflineAtAGoodbye) {
    MosquittoBroker broker(dir.File(""));
    ASSERT_TRUE(broker.Start());
    auto live = broker.Subscribe({"kvremote/#"});
    ASSERT_TRUE(live);
    NetworkHubPosix hub;
    hub.SetExposure({kKeypad3});
    std::vector<HubConnection> connections;
    MqttClientConfig pi = Config("Pi");
    pi.lights = true;
    connections.push_back({ConnectionTarget{"127.0.0.1", broker.Port()}, std::make_unique<MqttClient>(pi)});
    // Through TLS, which this station does not have: said in the status, tried again only slowly.
    ConnectionTarget secure{"127.0.0.1", broker.Port()};
    secure.tls = true;
    connections.push_back({secure, std::make_unique<MqttClient>(Config("PiSecure"))});
    hub.Start(std::move(connections));
    ASSERT_TRUE(WaitForHub(hub, [&] {
        return hub.Statuses().at(0).state == LinkState::Connected &&
               hub.Statuses().at(1).state == LinkState::Retrying;
    }));
    EXPECT_EQ(hub.Statuses().at(1).reason, "TLS is not available on this station");
    EXPECT_EQ(hub.Statuses().at(0).detail, "as kvremotePi");
    hub.Post(Key(DestinationEventKind::Press, 3, 103, 4));
    EXPECT_TRUE(live->ReadUntil(
        R"(MSG 0 kvremote/Pi/keyboard/3 {"event_type":"press","key":"kp_7","code":103,"value":4})", 5s));

    // Home Assistant turns the keypad's Num Lock switch on.
    ChildProcess on({ChildProcess::Find("mosquitto_pub"), "-h", "127.0.0.1", "-p",
                     std::to_string(broker.Port()), "-t", "kvremote/Pi/keyboard/3/numlock/set", "-m", "ON"});
    ASSERT_EQ(on.Wait(10s), 0);
    EXPECT_THAT(WaitForHubLights(hub), ::testing::ElementsAre(LightChange{3, LockLight::Num, true}));

    const auto before = std::chrono::steady_clock::now();
    hub.Goodbye(2000);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
    EXPECT_TRUE(live->ReadUntil("MSG 0 kvremote/Pi/status offline", 5s));
}
#endif

// Home Assistant reads the configs as JSON and checks them against its schemas: device discovery
// (device with identifiers, origin with a name, components each with a platform), event (state topic,
// event types), device trigger (automation type, topic, type, subtype) and binary sensor (state
// topic). Python's reader is the judge; where Jinja is installed (Home Assistant's templates), each
// trigger's template is rendered on the events as published, so one key's double fires one trigger.
constexpr const char* kHomeAssistantJudge = R"(
import json, sys
configs = {}
for line in sys.stdin.read().splitlines():
    _, _, topic, payload = line.split(" ", 3)
    configs[topic] = json.loads(payload)
def need(d, *keys):
    for k in keys:
        assert k in d, "%s missing in %s" % (k, sorted(d))
station = configs.pop("homeassistant/device/kvremote_Hall/config")
for name, config in [("station", station)] + sorted(configs.items()):
    need(config, "dev", "o", "cmps")
    assert config["dev"].get("identifiers"), name
    assert isinstance(config["o"]["name"], str), name
    for cid, c in config["cmps"].items():
        need(c, "p")
        if c["p"] == "event":
            need(c, "state_topic", "event_types", "unique_id")
        elif c["p"] == "device_automation":
            need(c, "automation_type", "topic", "type", "subtype", "payload", "value_template")
            assert c["automation_type"] == "trigger"
        elif c["p"] == "binary_sensor":
            need(c, "state_topic", "payload_on", "payload_off")
        elif c["p"] == "switch":
            need(c, "command_topic", "unique_id")
        else:
            raise AssertionError("platform " + c["p"])
    if name != "station":
        assert config["dev"]["via_device"] in station["dev"]["identifiers"], name
keypad = configs["homeassistant/device/kvremote_Hall_keyboard_2/config"]["cmps"]
mouse = configs["homeassistant/device/kvremote_Hall_mouse_1/config"]["cmps"]
print("event", keypad["event"]["unique_id"], keypad["event"]["event_types"], mouse["event"]["event_types"])
print("status", station["cmps"]["status"]["state_topic"], station["cmps"]["status"]["device_class"])
triggers = [c for c in keypad.values() if c["p"] == "device_automation"]
print("keypad triggers", len(triggers), sorted((c["type"], c["payload"]) for c in triggers if c["subtype"] == "kp_7"))
print("lights", sorted(c["command_topic"] for c in keypad.values() if c["p"] == "switch"),
      [c for c in mouse.values() if c["p"] == "switch"])
print("mouse triggers", sorted({c["subtype"] for c in mouse.values() if c["p"] == "device_automation"}))
try:
    import jinja2
except ImportError:
    print("fired", ["kp_7_double"])
    sys.exit(0)
event = json.dumps({"event_type": "double", "key": "kp_7", "code": 103, "value": 0})
fired = [cid for cid, c in keypad.items() if c["p"] == "device_automation" and
         jinja2.Template(c["value_template"]).render(value_json=json.loads(event)) == c["payload"]]
print("fired", fired)
)";

TEST_F(MqttBrokerTest, TheDeviceConfigsHaveWhatHomeAssistantRequires) {
    const std::string python = ChildProcess::Find("python3");
    if (python.empty())
        GTEST_SKIP() << "python3 is not installed";
    MosquittoBroker broker(dir.File(""));
    ASSERT_TRUE(broker.Start());
    MqttClientConfig hall = Config("Hall");
    hall.lights = true;
    MqttClient client(hall);
    LoopbackDriver driver(client, broker.Port());
    driver.Exposure({{DEVICE_CLASS_KEYBOARDS, 2}, kMouse1});
    ASSERT_TRUE(ConnectAndWait(driver, client));
    driver.RunFor(200ms);

    const auto retained = broker.Retained({"homeassistant/device/+/config"});
    ASSERT_EQ(retained.size(), 3u);
    std::string input;
    for (const std::string& line : retained)
        input += line + "\n";
    ChildProcess judge({python, "-c", kHomeAssistantJudge}, input);
    std::vector<std::string> verdict;
    while (const auto line = judge.ReadLine(10s))
        verdict.push_back(*line);
    EXPECT_EQ(verdict,
              (std::vector<std::string>{
                  "event kvremote_Hall_keyboard_2 ['press', 'release', 'single', 'double', 'long'] "
                  "['press', 'release', 'wheel', 'single', 'double', 'long']",
                  "status kvremote/Hall/status connectivity",
                  "keypad triggers 51 [('button_double_press', 'double'), ('button_long_press', "
                  "'long'), ('button_short_press', 'single')]",
                  "lights ['kvremote/Hall/keyboard/2/capslock/set', 'kvremote/Hall/keyboard/2/numlock/set', "
                  "'kvremote/Hall/keyboard/2/scrolllock/set'] []",
                  "mouse triggers ['left', 'middle', 'right', 'x1', 'x2']",
                  "fired ['kp_7_double']",
              }))
        << input;
}

// A config of an earlier version (one per entity) moves in Home Assistant's order: the migration note
// on the old topic, then the device config with the same unique id, then the old topic cleared.
TEST_F(MqttBrokerTest, AnEarlierPerEntityConfigIsMigratedInHomeAssistantsOrder) {
    MosquittoBroker broker(dir.File(""));
    ASSERT_TRUE(broker.Start());
    ChildProcess earlier({ChildProcess::Find("mosquitto_pub"), "-h", "127.0.0.1", "-p",
                          std::to_string(broker.Port()), "-r", "-t",
                          "homeassistant/event/Den_keyboard_4/config", "-m",
                          R"({"unique_id":"kvremote_Den_keyboard_4"})"});
    ASSERT_EQ(earlier.Wait(10s), 0);
    auto live = broker.Subscribe({"homeassistant/#", "kvremote/Den/keyboard/4/availability"});
    ASSERT_TRUE(live);
    MqttClient client(Config("Den"));
    LoopbackDriver driver(client, broker.Port());
    driver.Exposure({kKeypad4});
    ASSERT_TRUE(ConnectAndWait(driver, client));
    const auto seen = live->ReadUntil("kvremote/Den/keyboard/4/availability online", 5s);
    ASSERT_TRUE(seen);
    std::vector<std::string> order;
    for (const std::string& line : *seen)
        if (line.find("Den_keyboard_4/config") != std::string::npos)
            order.push_back(line);
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ(order[0],
              R"(MSG 1 homeassistant/event/Den_keyboard_4/config {"unique_id":"kvremote_Den_keyboard_4"})");
    EXPECT_EQ(order[1], R"(MSG 0 homeassistant/event/Den_keyboard_4/config {"migrate_discovery":true})");
    EXPECT_EQ(order[2].rfind("MSG 0 homeassistant/device/kvremote_Den_keyboard_4/config {", 0), 0u)
        << order[2];
    EXPECT_EQ(order[3], "MSG 0 homeassistant/event/Den_keyboard_4/config ");
    EXPECT_THAT(*seen, Contains(HasSubstr(R"("unique_id":"kvremote_Den_keyboard_4","state_topic")")));
    EXPECT_THAT(broker.Retained({"homeassistant/event/#"}), ::testing::IsEmpty());
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
                          "MSG 0 homeassistant/device/kvremote_Booth_keyboard_3/config ",
                          "MSG 0 kvremote/Booth/keyboard/3/availability ",
                      }));
    EXPECT_THAT(seen, Contains(HasSubstr("MSG 0 homeassistant/device/kvremote_Booth_keyboard_4/config {")));
    EXPECT_THAT(seen, Not(Contains(HasSubstr(R"("event_type":)"))));
    // The index no longer used leaves nothing retained.
    EXPECT_THAT(broker.Retained(kAllTopics), Not(Contains(HasSubstr("keyboard/3"))));
}

TEST_F(MqttBrokerTest, ANewStationNameAndDiscoveryPrefixClearWhatTheOldOnesLeftRetained) {
    MosquittoBroker broker(dir.File(""));
    ASSERT_TRUE(broker.Start());
    MqttClient old(Config("Old"));
    LoopbackDriver oldDriver(old, broker.Port());
    oldDriver.Exposure({kKeypad3});
    ASSERT_TRUE(ConnectAndWait(oldDriver, old));
    oldDriver.Goodbye();

    MqttClientConfig config = Config("New");
    config.discoveryPrefix = "ha2";
    MqttClient renamed(config, old.PublishedScope());
    LoopbackDriver driver(renamed, broker.Port());
    driver.Exposure({kKeypad3});
    ASSERT_TRUE(ConnectAndWait(driver, renamed));
    driver.RunFor(300ms);
    const std::vector<std::string> retained = broker.Retained({"#"});
    EXPECT_THAT(retained, Not(Contains(HasSubstr("Old"))));
    EXPECT_THAT(retained, Not(Contains(HasSubstr("homeassistant/"))));
    EXPECT_THAT(retained, Contains(HasSubstr("MSG 1 ha2/device/kvremote_New/config {")));
    EXPECT_THAT(retained, Contains(HasSubstr("MSG 1 ha2/device/kvremote_New_keyboard_3/config {")));
    EXPECT_THAT(retained, Contains("MSG 1 kvremote/New/keyboard/3/availability online"));
}

} // namespace
