// SatelliteClient against the Satellite server stand-in over real loopback sockets, driven the way the
// network thread drives it: surfaces added (one only on asking again), presses and the wheel,
// garbage and errors that change nothing, pings that keep the connection, a restarted server with no
// late release, a reconnect while the server still holds the old socket, and the goodbye; then the
// same peer through the POSIX network hub.
#include "LoopbackSocket.h"
#include "SatelliteStandIn.h"
#include "connections/SatelliteClient.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>
#if KV_HAVE_NETWORK_POSIX
#include "FakeTexts.h"
#include "PosixHubWait.h"
#include <atomic>
#endif

namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

// A tiny network thread: connects (again at once after a close), feeds what arrives, ticks, writes
// what the client says, and closes when it wants.
class Driver {
public:
    Driver(ConnectionClient& client, std::uint16_t port) : client_(client), port_(port) {}
    ~Driver() {
        CloseSocket(socket_);
        CloseSocket(abandoned_);
    }

    MonoMs Now() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                     start_)
            .count();
    }

    void Step() {
        if (socket_ == kNoSocket && saidGoodbye_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return;
        }
        if (socket_ == kNoSocket) {
            socket_ = ConnectLoopback(port_);
            if (socket_ == kNoSocket) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                return;
            }
            client_.OnConnected(Now());
        }
        if (!WaitReadable({socket_}, 10).empty()) {
            char buffer[4096];
            const long got = Receive(socket_, buffer, sizeof(buffer));
            if (got <= 0)
                return Closed();
            client_.OnReceived(std::string_view(buffer, static_cast<std::size_t>(got)), Now());
        }
        client_.OnTick(Now());
        Write();
        if (client_.WantsClose())
            Closed();
    }

    bool RunUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
        const MonoMs until = Now() + timeoutMs;
        while (!done()) {
            if (Now() >= until)
                return false;
            Step();
        }
        return true;
    }
    void RunFor(int ms) {
        const MonoMs until = Now() + ms;
        RunUntil([&] { return Now() >= until; });
    }

    void Event(const DestinationEvent& event) {
        client_.OnEvent(event, Now());
        Write();
    }
    void Exposure(const std::vector<ExposedDevice>& devices) {
        client_.OnExposure(devices, Now());
        Write();
    }
    void Goodbye() {
        saidGoodbye_ = true;
        client_.OnGoodbye(Now());
        Write();
    }
    // The connection goes silent without a close (a cable pulled): a new one is made.
    void Abandon() {
        abandoned_ = std::exchange(socket_, kNoSocket);
        client_.OnClosed(Now());
    }

private:
    void Write() {
        const std::string out = client_.TakeOutput();
        if (socket_ != kNoSocket && !out.empty() && !SendAll(socket_, out))
            Closed();
    }
    void Closed() {
        CloseSocket(std::exchange(socket_, kNoSocket));
        client_.OnClosed(Now());
    }

    ConnectionClient& client_;
    std::uint16_t port_;
    SocketHandle socket_ = kNoSocket;
    SocketHandle abandoned_ = kNoSocket;
    bool saidGoodbye_ = false; // no new connection after it
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

DestinationEvent Key(DestinationEventKind kind, int key) {
    DestinationEvent event;
    event.deviceClass = DEVICE_CLASS_KEYBOARDS;
    event.index = 5;
    event.kind = kind;
    event.key = key;
    return event;
}

constexpr auto kPress = DestinationEventKind::Press;
constexpr auto kRelease = DestinationEventKind::Release;
const std::string kKeypad = "kvremote:PC-keyboard-5";
const std::string kMouse = "kvremote:PC-mouse-2";

int Count(const std::vector<StandInLine>& lines, int connection, const std::string& start) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const StandInLine& l) {
        return l.connection == connection && l.line.starts_with(start);
    }));
}

TEST(SatelliteLoopback, SurfacesFollowTheServerThroughErrorsRestartsAndAHalfOpenSocket) {
    SocketSession session;
    StandInOptions options;
    options.idleCloseMs = 1000;
    options.silentFirstAdd = true;
    SatelliteStandIn server(options);
    ASSERT_TRUE(server.Start());
    SatelliteClient client({"PC", KeyboardLayoutKind::Keypad, {150, 3000, 300}});
    Driver driver(client, server.Port());
    const auto devices = [&] { return server.Devices(); };
    // Every surface added, as the client knows from its answers, on the given connection.
    const auto added = [&](int connection) {
        return [&, connection] {
            const auto& all = client.Surfaces().All();
            return server.Devices(connection).size() == all.size() &&
                   std::ranges::all_of(all, [](const Surface& s) { return s.state == SurfaceState::Added; });
        };
    };
    const auto actions = [&] { return server.Actions(); };
    const auto acted = [&](const std::string& action) {
        return [&, action] { return std::ranges::count(server.Actions(), action) > 0; };
    };

    // Added once asked again: the first ADD-DEVICE got no answer.
    driver.Exposure({{DEVICE_CLASS_KEYBOARDS, 5}, {DEVICE_CLASS_MICE, 2}});
    ASSERT_TRUE(driver.RunUntil(added(1)));
    EXPECT_GE(Count(server.Lines(), 1, "ADD-DEVICE DEVICEID=" + kKeypad), 2);
    EXPECT_THAT(server.Lines().front().line,
                HasSubstr("PRODUCT_NAME=\"kvRemote keypad 5 on PC\" KEYS_TOTAL=20 "
                          "KEYS_PER_ROW=5 BITMAPS=0 COLORS=false TEXT=false "
                          "BRIGHTNESS=false PINCODE_LOCK=FULL"));

    // Keypad 7 down and up, the mouse's left button, a notch of the wheel in two halves.
    driver.Event(Key(kPress, 0x47));
    driver.Event(Key(kRelease, 0x47));
    DestinationEvent mouse;
    mouse.deviceClass = DEVICE_CLASS_MICE;
    mouse.index = 2;
    mouse.button = MouseButton::Left;
    driver.Event(mouse);
    mouse.kind = DestinationEventKind::Wheel;
    mouse.delta = 60;
    driver.Event(mouse);
    driver.Event(mouse);
    ASSERT_TRUE(driver.RunUntil(acted("rotate " + kMouse + " 3 1")));
    EXPECT_THAT(actions(), ::testing::ElementsAre("press " + kKeypad + " 5 1", "press " + kKeypad + " 5 0",
                                                  "press " + kMouse + " 0 1", "rotate " + kMouse + " 3 1"));

    // Garbage, a line over 64 KiB, errors and display updates: shown, and nothing else changes.
    server.SendToAll("garbage\n" + std::string(70000, 'x') + "\nKEY-STATE DEVICEID=\"" + kKeypad +
                     "\" KEY=0 COLOR=#ff0000 \n\"\"\\\n=\nERROR MESSAGE=\"Unknown command: XYZ\" \n");
    driver.RunFor(200);
    driver.Event(Key(kPress, 0x48));
    ASSERT_TRUE(driver.RunUntil(acted("press " + kKeypad + " 6 1")));
    EXPECT_THAT(client.StatusDetail(), HasSubstr("Unknown command: XYZ"));

    // Pings hold the connection past the server's idle time.
    driver.RunFor(1500);
    EXPECT_EQ(server.Accepted(), 1);
    EXPECT_GE(Count(server.Lines(), 1, "PING "), 5);

    // The server restarts with keypad 8 down: everything is added again, and its release is not sent.
    const std::uint16_t port = server.Port();
    server.Stop();
    ASSERT_TRUE(server.Start(port));
    ASSERT_TRUE(driver.RunUntil(added(2)));
    driver.Event(Key(kRelease, 0x48));
    driver.Event(Key(kPress, 0x49));
    ASSERT_TRUE(driver.RunUntil(acted("press " + kKeypad + " 7 1")));
    EXPECT_THAT(actions(), Not(Contains("press " + kKeypad + " 6 0")));

    // A new socket while the server still holds the old one: no answer until the old one times out.
    driver.Abandon();
    ASSERT_TRUE(driver.RunUntil(added(3)));
    EXPECT_GE(Count(server.Lines(), 3, "ADD-DEVICE DEVICEID=" + kKeypad), 2);

    // The mouse goes; at the goodbye the keypad goes and the connection ends.
    driver.Exposure({{DEVICE_CLASS_KEYBOARDS, 5}});
    ASSERT_TRUE(driver.RunUntil([&] { return devices().size() == 1; }));
    driver.Goodbye();
    ASSERT_TRUE(driver.RunUntil([&] { return server.Open() == 0; }));
    EXPECT_TRUE(devices().empty());
    const std::vector<StandInLine> lines = server.Lines();
    EXPECT_EQ(lines.back().line, "QUIT");
    EXPECT_EQ(lines[lines.size() - 2].line, "REMOVE-DEVICE DEVICEID=" + kKeypad);
}

} // namespace

#if KV_HAVE_NETWORK_POSIX
// The station's own network hub over POSIX sockets: exposed, pressed, and the goodbye, as Companion
// sees them.
TEST(SatelliteLoopback, ThePosixHubTakesAKeyPressToCompanionAndSaysGoodbyeWithinItsBound) {
    SatelliteStandIn server;
    ASSERT_TRUE(server.Start());
    std::atomic<int> rang{0};
    NetworkHubPosix hub(NetworkTimes{}, [&] { ++rang; });
    hub.SetExposure({{DEVICE_CLASS_KEYBOARDS, 5}});
    std::vector<HubConnection> connections;
    connections.push_back({ConnectionTarget{"127.0.0.1", server.Port()},
                           std::make_unique<SatelliteClient>(
                               SatelliteClientConfig{"PC", KeyboardLayoutKind::Keypad, {}, true})});
    hub.Start(std::move(connections));
    ASSERT_TRUE(WaitForHub(hub, [&] {
        return hub.Statuses().at(0).state == LinkState::Connected && server.Devices().size() == 1;
    })) << ConnectionStatusLine(hub.Statuses().at(0), FakeTexts({}));
    EXPECT_GT(rang.load(), 0) << "the callback heard the news too";

    // Until the client has read the server's answer to its ADD-DEVICE, a press goes nowhere.
    const auto pressed = [&] {
        hub.Post(Key(kPress, 0x47));
        hub.Post(Key(kRelease, 0x47));
        return SatelliteStandIn::WaitFor([&] { return server.Actions().size() >= 2; }, 300);
    };
    ASSERT_TRUE(SatelliteStandIn::WaitFor(pressed, 5000));
    const std::vector<std::string> acted = server.Actions();
    EXPECT_THAT(std::vector(acted.begin(), acted.begin() + 2),
                ::testing::ElementsAre("press " + kKeypad + " 5 1", "press " + kKeypad + " 5 0"));
    EXPECT_GE(Count(server.Lines(), 1, "KEY-PRESS DEVICEID=" + kKeypad), 2);

    // Companion draws NumLock's button (the keypad's first) red: the keypad's light comes on.
    server.SendToAll("KEY-STATE DEVICEID=\"" + kKeypad +
                     "\" KEY=0 TYPE=BUTTON PRESSED=false COLOR=#ff0000 \n");
    EXPECT_THAT(WaitForHubLights(hub), ::testing::ElementsAre(LightChange{5, LockLight::Num, true}));

    const auto before = std::chrono::steady_clock::now();
    hub.Goodbye(2000);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(2000));
    ASSERT_TRUE(SatelliteStandIn::WaitFor([&] { return server.Open() == 0; }, 5000));
    EXPECT_EQ(server.Lines().back().line, "QUIT");
    EXPECT_TRUE(server.Devices().empty());
}
#endif
