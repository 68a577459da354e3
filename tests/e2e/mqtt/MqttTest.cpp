// kvRemote as a Home Assistant publisher, as a broker's subscribers see it: the station online, a
// retained device config per auxiliary device that Home Assistant can read, with the device triggers
// of its keys, a keypad's press and release by its key's name and the gestures told from them, its
// availability when it is unplugged, and the station offline at Exit. A new discovery prefix moves the
// configs and leaves nothing behind. A hand-edited
// [Mqtt] that fails its checks leaves MQTT off until the Connections dialog mends it. Over TLS, the
// broker's certificates made by the broker's fixture: trusted through the CA file, refused in words
// for another CA, another name and an expired one, and the password kept protected in the file.
#include "MqttSubscriber.h"
#include "ProgramTest.h"

#include "BuildPath.h"
#include "Controls.h"
#include "FileText.h"
#include "WindowFind.h"

#include <map>
#include <sstream>
#include <tuple>

namespace kve2e {
namespace {

using namespace std::chrono_literals;

// A reader just strict enough to judge a config as JSON: the whole text one object of valid values,
// its members returned as their raw text.
class JsonObjectReader {
public:
    explicit JsonObjectReader(std::string_view text) : t_(text) {}

    std::optional<std::map<std::string, std::string>> Members() {
        std::map<std::string, std::string> members;
        if (!Object(&members) || (Space(), i_ != t_.size()))
            return std::nullopt;
        return members;
    }

private:
    bool Object(std::map<std::string, std::string>* members) {
        if (!Eat('{'))
            return false;
        if (Eat('}'))
            return true;
        do {
            std::string key;
            if (!String(&key) || !Eat(':'))
                return false;
            Space();
            const std::size_t start = i_;
            if (!Value())
                return false;
            if (members)
                (*members)[key] = std::string(t_.substr(start, i_ - start));
        } while (Eat(','));
        return Eat('}');
    }
    bool Value() {
        Space();
        if (i_ >= t_.size())
            return false;
        switch (t_[i_]) {
        case '{':
            return Object(nullptr);
        case '[':
            ++i_;
            if (Eat(']'))
                return true;
            do {
                if (!Value())
                    return false;
            } while (Eat(','));
            return Eat(']');
        case '"':
            return String(nullptr);
        default:
            for (std::string_view word : {"true", "false", "null"})
                if (t_.substr(i_, word.size()) == word)
                    return i_ += word.size(), true;
            const std::size_t start = i_;
            while (i_ < t_.size() &&
                   std::string_view("-+.eE0123456789").find(t_[i_]) != std::string_view::npos)
                ++i_;
            return i_ > start;
        }
    }
    bool String(std::string* out) {
        Space();
        if (i_ >= t_.size() || t_[i_++] != '"')
            return false;
        for (; i_ < t_.size(); ++i_) {
            if (t_[i_] == '"')
                return ++i_, true;
            if (static_cast<unsigned char>(t_[i_]) < 0x20)
                return false;
            if (t_[i_] == '\\' && ++i_ >= t_.size())
                return false;
            if (out)
                *out += t_[i_];
        }
        return false;
    }
    bool Eat(char c) {
        Space();
        return i_ < t_.size() && t_[i_] == c ? (++i_, true) : false;
    }
    void Space() {
        while (i_ < t_.size() && std::string_view(" \t\r\n").find(t_[i_]) != std::string_view::npos)
            ++i_;
    }
    std::string_view t_;
    std::size_t i_ = 0;
};

class MqttTest : public ProgramTest {
protected:
    void SetUp() override {
        const std::filesystem::path broker = BuildPath(KV_E2E_MQTT_BROKER_DIR);
        if (const auto reason = ReadFileText(broker / "skip"))
            GTEST_SKIP() << *reason;
        const auto port = ReadFileText(broker / "port");
        if (!port)
            GTEST_SKIP() << "no broker: the suite runs through ctest, whose fixture starts mosquitto";
        port_ = static_cast<std::uint16_t>(std::stoi(*port));
        ProgramTest::SetUp();
    }

    // The keypad 3 (index 5) and the mouse 12 (index 7) in use, the station Stage7, and [Mqtt] with
    // the broker (the plain listener unless given) and extra keys.
    void WriteMqttConfig(std::string_view mqtt = {}, std::string_view host = "127.0.0.1",
                         std::uint16_t port = 0) {
        WriteDevices(kFourDevices);
        WriteAuxConfig(receiver_.Port(),
                       "[Connections]\r\nStation=Stage7\r\n[Mqtt]\r\nHost=" + std::string(host) +
                           "\r\nPort=" + std::to_string(port ? port : port_) + "\r\n" + std::string(mqtt));
    }
    // A subscriber on filter that is there before the program publishes.
    std::unique_ptr<MqttSubscriber> Listen(std::string_view filter) {
        auto subscriber = std::make_unique<MqttSubscriber>();
        EXPECT_TRUE(subscriber->Subscribe(port_, filter)) << "the broker on port " << port_;
        return subscriber;
    }
    // The retained copies under filter, as a subscriber that comes now is given them.
    std::vector<MqttMessage> Retained(std::string_view filter) {
        std::vector<MqttMessage> messages;
        const auto subscriber = Listen(filter);
        while (const auto message = subscriber->Next(1500ms))
            messages.push_back(*message);
        return messages;
    }

    std::uint16_t port_ = 0;
    UdpReceiver receiver_;
};

TEST_F(MqttTest, DiscoveryPressesAvailabilityAndTheStationsStatusReachTheBroker) {
    WriteMqttConfig();
    const auto live = Listen("kvremote/#");
    Launch();
    ASSERT_TRUE(WaitForFilters(true));
    ASSERT_TRUE(live->WaitFor("kvremote/Stage7/status", "online", 20s));
    EXPECT_TRUE(live->WaitFor("kvremote/Stage7/mouse/7/availability", "online", 10s));

    std::map<std::string, MqttMessage> configs;
    for (const MqttMessage& message : Retained("homeassistant/device/#"))
        configs[message.topic] = message;
    ASSERT_EQ(configs.size(), 3u);
    for (const auto& [topic, message] : configs)
        EXPECT_TRUE(message.retained && JsonObjectReader(message.payload).Members()) << message.payload;
    ASSERT_TRUE(configs.contains("homeassistant/device/kvremote_Stage7/config"));
    const std::string& keypad = configs["homeassistant/device/kvremote_Stage7_keyboard_5/config"].payload;
    EXPECT_NE(
        keypad.find(R"("unique_id":"kvremote_Stage7_keyboard_5","state_topic":"kvremote/Stage7/keyboard/5")"),
        std::string::npos);
    EXPECT_NE(keypad.find(R"("via_device":"kvremote_Stage7")"), std::string::npos);
    for (const char* trigger :
         {R"("kp_7_single":{"p":"device_automation","automation_type":"trigger",)"
          R"("topic":"kvremote/Stage7/keyboard/5","type":"button_short_press","subtype":"kp_7")",
          R"("kp_7_double":{)", R"("kp_7_long":{)"})
        EXPECT_NE(keypad.find(trigger), std::string::npos) << trigger;
    EXPECT_NE(configs["homeassistant/device/kvremote_Stage7_mouse_7/config"].payload.find(R"("x2_long":{)"),
              std::string::npos);
    EXPECT_TRUE(Retained("homeassistant/event/#").empty()) << "the per-entity configs are gone";

    // A key down once and up once: a press and a release by the key's name, the REMOTE line as
    // before, and a single once the double window has passed.
    const std::string events = "kvremote/Stage7/keyboard/5";
    const auto keypadSeven = [](const char* type) {
        return R"({"event_type":")" + std::string(type) + R"(","key":"kp_7","code":103,"value":0})";
    };
    ASSERT_TRUE(Inject("key 3 0x47 0\nkey 3 0x47 1\n"));
    EXPECT_EQ(receiver_.Receive(kWait), KeypadSevenLine(5));
    EXPECT_TRUE(live->WaitFor(events, keypadSeven("press"), 10s));
    EXPECT_TRUE(live->WaitFor(events, keypadSeven("release"), 10s));
    EXPECT_TRUE(live->WaitFor(events, keypadSeven("single"), 10s));
    // Two quick presses: one double, and no single after it.
    ASSERT_TRUE(Inject("key 3 0x47 0\nkey 3 0x47 1\nkey 3 0x47 0\nkey 3 0x47 1\n"));
    EXPECT_TRUE(live->WaitFor(events, keypadSeven("double"), 10s));
    while (const auto message = live->Next(1000ms))
        EXPECT_EQ(message->payload.find("single"), std::string::npos) << message->payload;
    // Held: long while it is still down.
    ASSERT_TRUE(Inject("key 3 0x47 0\n"));
    EXPECT_TRUE(live->WaitFor(events, keypadSeven("long"), 10s));
    ASSERT_TRUE(Inject("key 3 0x47 1\n"));
    EXPECT_TRUE(live->WaitFor(events, keypadSeven("release"), 10s));

    // Unplugged: offline, its config kept for the automations that name it.
    ASSERT_TRUE(Inject("unplug 3\n"));
    EXPECT_TRUE(live->WaitFor("kvremote/Stage7/keyboard/5/availability", "offline", 10s));
    EXPECT_EQ(Retained("homeassistant/device/kvremote_Stage7_keyboard_5/config").size(), 1u);

    EXPECT_TRUE(Exit());
    EXPECT_TRUE(live->WaitFor("kvremote/Stage7/status", "offline", 5s));
    const std::vector<MqttMessage> status = Retained("kvremote/Stage7/status");
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0].payload, "offline") << "Exit leaves the station offline";
}

TEST_F(MqttTest, AHandEditedTopicThatFailsLeavesMqttOffUntilTheDialogMendsIt) {
    WriteMqttConfig("Topic=/lights\r\n");
    const auto live = Listen("#");
    Launch();
    ASSERT_TRUE(WaitForFilters(true));
    // What earlier tests left retained comes first; nothing new is published under a topic that fails.
    std::optional<MqttMessage> message;
    while ((message = live->Next(2000ms)) && message->retained) {
    }
    EXPECT_FALSE(message) << message->topic;

    ASSERT_TRUE(PostCommand(Main(), ID_TRAY_CONNECTIONS));
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitForWindow(Pid(), "Connections", dialog));
    EXPECT_EQ(ControlText(dialog, IDC_MQTT_TOPIC), "/lights") << "the value to mend";
    EXPECT_EQ(ControlText(dialog, IDC_MQTT_STATUS), "");
    ASSERT_TRUE(PressButton(dialog, IDOK));
    EXPECT_TRUE(Answer(
        "The MQTT topic may hold only letters, digits, -, _ and /, and cannot begin or end with /.", IDOK));
    EXPECT_EQ(FocusedControlId(dialog), IDC_MQTT_TOPIC);

    ASSERT_TRUE(SetControlText(dialog, IDC_MQTT_TOPIC, "lights"));
    ASSERT_TRUE(SetControlText(dialog, IDC_MQTT_PASSWORD, "secret"));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    EXPECT_TRUE(Answer("An MQTT password needs a user name.", IDOK));
    ASSERT_TRUE(SetControlText(dialog, IDC_MQTT_PASSWORD, ""));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_TRUE(WaitForWindowGone(Pid(), "Connections"));
    EXPECT_TRUE(live->WaitFor("lights/Stage7/status", "online", 20s));
    EXPECT_NE(ConfigText().value_or("").find("Topic=lights\r\n"), std::string::npos);

    // The dialog shows the live status line.
    ASSERT_TRUE(PostCommand(Main(), ID_TRAY_CONNECTIONS));
    ASSERT_TRUE(WaitForWindow(Pid(), "Connections", dialog));
    const std::string connected = "connected to 127.0.0.1:" + std::to_string(port_) + " as kvremoteStage7";
    EXPECT_TRUE(
        WaitUntil([&] { return ControlText(dialog, IDC_MQTT_STATUS) == connected; }, kWait, connected))
        << ControlText(dialog, IDC_MQTT_STATUS).value_or("");
    // New prefixes: what the old ones left retained is cleared, the configs move.
    ASSERT_TRUE(SetControlText(dialog, IDC_MQTT_TOPIC, "rooms"));
    ASSERT_TRUE(SetControlText(dialog, IDC_MQTT_DISCOVERY_PREFIX, "ha2"));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_TRUE(WaitForWindowGone(Pid(), "Connections"));
    EXPECT_TRUE(live->WaitFor("rooms/Stage7/status", "online", 20s));
    const std::vector<MqttMessage> old = Retained("lights/#");
    EXPECT_TRUE(old.empty()) << old.front().topic << " " << old.front().payload;
    EXPECT_EQ(Retained("ha2/device/#").size(), 3u);
    for (const MqttMessage& message : Retained("homeassistant/#"))
        EXPECT_EQ(message.topic.find("Stage7"), std::string::npos) << message.topic;
    EXPECT_TRUE(Exit());
}

// The broker's TLS listeners: for localhost with an account, for another name, expired.
struct TlsListeners {
    std::uint16_t localhost = 0, otherName = 0, expired = 0;
    std::filesystem::path ca, otherCa, notACertificate;
};

std::optional<TlsListeners> FindTlsListeners(std::string& why) {
    const std::filesystem::path tls = BuildPath(KV_E2E_MQTT_BROKER_DIR) / "tls";
    if (const auto reason = ReadFileText(tls / "skip"))
        return why = *reason, std::nullopt;
    const auto ports = ReadFileText(tls / "ports");
    if (!ports)
        return why = "the broker has no TLS listeners", std::nullopt;
    TlsListeners listeners;
    std::istringstream(*ports) >> listeners.localhost >> listeners.otherName >> listeners.expired;
    listeners.ca = tls / "ca.pem";
    listeners.otherCa = tls / "other-ca.pem";
    listeners.notACertificate = tls / "ca.key"; // PEM, but a key
    return listeners;
}

TEST_F(MqttTest, OverTlsTheRightCaConnectsOthersAreRefusedInWordsAndThePasswordIsKeptProtected) {
    std::string why;
    const std::optional<TlsListeners> tls = FindTlsListeners(why);
    if (!tls)
        GTEST_SKIP() << why;
    const std::string ca = tls->ca.string();
    // By hand: the password in the clear, which the listener for localhost asks for.
    WriteMqttConfig("Tls=1\r\nCaFile=" + ca + "\r\nUser=kvtls\r\nPassword=s3cret-Tls\r\n", "localhost",
                    tls->localhost);
    auto live = Listen("kvremote/Stage7/status");
    Launch();
    ASSERT_TRUE(WaitForFilters(true));
    ASSERT_TRUE(live->WaitFor("kvremote/Stage7/status", "online", 20s)) << "connected through TLS";

    const auto open = [&] {
        HWND dialog = nullptr;
        EXPECT_TRUE(PostCommand(Main(), ID_TRAY_CONNECTIONS));
        EXPECT_TRUE(WaitForWindow(Pid(), "Connections", dialog));
        return dialog;
    };
    const auto statusBecomes = [&](HWND dialog, const std::string& line) {
        return WaitUntil([&] { return ControlText(dialog, IDC_MQTT_STATUS) == line; }, 20s, line);
    };
    const std::string at = "localhost:" + std::to_string(tls->localhost);
    HWND dialog = open();
    EXPECT_EQ(CheckState(dialog, IDC_MQTT_TLS), BST_CHECKED);
    EXPECT_EQ(ControlText(dialog, IDC_MQTT_CA_FILE), ca);
    EXPECT_TRUE(statusBecomes(dialog, "connected to " + at + " as kvremoteStage7"))
        << ControlText(dialog, IDC_MQTT_STATUS).value_or("");

    // The CA file is checked on OK: one that is missing, one without a certificate.
    const std::string missing = (tls->ca.parent_path() / "missing.pem").string();
    ASSERT_TRUE(SetControlText(dialog, IDC_MQTT_CA_FILE, missing));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    EXPECT_TRUE(Answer("The CA file " + missing + " cannot be read.", IDOK));
    EXPECT_EQ(FocusedControlId(dialog), IDC_MQTT_CA_FILE);
    const std::string key = tls->notACertificate.string();
    ASSERT_TRUE(SetControlText(dialog, IDC_MQTT_CA_FILE, key));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    EXPECT_TRUE(Answer("The CA file " + key +
                           " holds no certificate. It must be a PEM file (-----BEGIN CERTIFICATE-----).",
                       IDOK));

    // Saved: the password is in the file only in its protected form.
    ASSERT_TRUE(SetControlText(dialog, IDC_MQTT_CA_FILE, ca));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_TRUE(WaitForWindowGone(Pid(), "Connections"));
    const std::string saved = ConfigText().value_or("");
    EXPECT_EQ(saved.find("s3cret-Tls"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("\r\nPassword="), std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\nPasswordProtected="), std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\nTls=1\r\n"), std::string::npos) << saved;

    // Started again, the program reads the protected password back and the broker takes it.
    ASSERT_TRUE(Exit());
    live = Listen("kvremote/Stage7/status");
    Launch();
    ASSERT_TRUE(live->WaitFor("kvremote/Stage7/status", "online", 20s)) << "the password read back";

    // Refused, in words, and never accepted: another CA, Windows' roots, another name, an expired
    // certificate.
    for (const auto& [port, caFile, words] :
         {std::tuple{tls->localhost, tls->otherCa.string(), "certificate not trusted"},
          // Without a CA file, Windows' own roots, which do not hold the test's CA.
          std::tuple{tls->localhost, std::string(), "certificate not trusted"},
          std::tuple{tls->otherName, ca, "name does not match"}, std::tuple{tls->expired, ca, "expired"}}) {
        dialog = open();
        ASSERT_TRUE(SetControlText(dialog, IDC_MQTT_PORT, std::to_string(port)));
        ASSERT_TRUE(SetControlText(dialog, IDC_MQTT_CA_FILE, caFile));
        ASSERT_TRUE(PressButton(dialog, IDOK));
        ASSERT_TRUE(WaitForWindowGone(Pid(), "Connections"));
        dialog = open();
        const std::string refused =
            "cannot reach localhost:" + std::to_string(port) + " (" + words + "), retrying";
        EXPECT_TRUE(statusBecomes(dialog, refused)) << ControlText(dialog, IDC_MQTT_STATUS).value_or("");
        ASSERT_TRUE(PressButton(dialog, IDCANCEL));
        ASSERT_TRUE(WaitForWindowGone(Pid(), "Connections"));
    }
    EXPECT_TRUE(Exit());
}

} // namespace
} // namespace kve2e
