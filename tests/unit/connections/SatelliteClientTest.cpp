// SatelliteClient with time handed in: what it sends after BEGIN, a surface asked for until its OK
// with presses dropped meanwhile, the full layout only from a server that takes it, and the pings.
#include "connections/SatelliteClient.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

class SatelliteClientTest : public ::testing::Test {
protected:
    void Connect(const char* api, KeyboardLayoutKind layout = KeyboardLayoutKind::Keypad,
                 bool lights = false) {
        client_ = std::make_unique<SatelliteClient>(SatelliteClientConfig{"PC", layout, {}, lights});
        client_->OnExposure({{DEVICE_CLASS_KEYBOARDS, 5}}, 0);
        client_->OnConnected(0);
        EXPECT_THAT(client_->TakeOutput(), IsEmpty()) << "nothing before BEGIN";
        Receive(std::string("BEGIN CompanionVersion=\"4.2.0\" ApiVersion=\"") + api + "\" \n", 10);
    }
    void Receive(const std::string& bytes, MonoMs now) { client_->OnReceived(bytes, now); }
    std::string Key(DestinationEventKind kind, int key, MonoMs now) {
        DestinationEvent event;
        event.index = 5;
        event.kind = kind;
        event.key = key;
        client_->OnEvent(event, now);
        return client_->TakeOutput();
    }
    std::unique_ptr<SatelliteClient> client_;
};

TEST_F(SatelliteClientTest, ASurfaceIsAskedForEveryThreeSecondsUntilItsOkAndTakesPressesOnlyThen) {
    Connect("1.14.0");
    const std::string add =
        "ADD-DEVICE DEVICEID=kvremote:PC-keyboard-5 PRODUCT_NAME=\"kvRemote keypad 5 on PC\" "
        "KEYS_TOTAL=20 KEYS_PER_ROW=5 BITMAPS=0 COLORS=false TEXT=false BRIGHTNESS=false PINCODE_LOCK=FULL\n";
    EXPECT_EQ(client_->TakeOutput(), add);
    EXPECT_THAT(Key(DestinationEventKind::Press, 0x47, 20), IsEmpty()) << "not added yet";
    for (MonoMs t = 100; t <= 3010; t += 10) {
        Receive("PONG x \n", t);
        client_->OnTick(t);
    }
    EXPECT_THAT(client_->TakeOutput(), HasSubstr(add));
    EXPECT_THAT(Key(DestinationEventKind::Release, 0x47, 3020), IsEmpty()) << "its press never went out";
    Receive("ADD-DEVICE OK DEVICEID=\"kvremote:PC-keyboard-5\" \n", 3100);
    EXPECT_EQ(Key(DestinationEventKind::Press, 0x47, 3200),
              "KEY-PRESS DEVICEID=kvremote:PC-keyboard-5 KEY=5 PRESSED=true\n");
    EXPECT_THAT(Key(DestinationEventKind::Press, 0x47, 3300), IsEmpty())
        << "down once however long it repeats";
    EXPECT_EQ(Key(DestinationEventKind::Release, 0x47, 3400),
              "KEY-PRESS DEVICEID=kvremote:PC-keyboard-5 KEY=5 PRESSED=false\n");
    EXPECT_THAT(Key(DestinationEventKind::Press, 0x1E, 3500), IsEmpty()) << "A is not on a keypad";
    client_->OnTick(6100);
    EXPECT_THAT(client_->TakeOutput(), Not(HasSubstr("ADD-DEVICE"))) << "added: not asked for again";
    EXPECT_THAT(client_->StatusDetail(), IsEmpty());
}

TEST_F(SatelliteClientTest, TheFullLayoutNeedsAServerThatTakesWideSurfaces) {
    Connect("1.5.1", KeyboardLayoutKind::Full);
    EXPECT_THAT(
        client_->TakeOutput(),
        HasSubstr("KEYS_TOTAL=20 KEYS_PER_ROW=5 BITMAPS=0 COLORS=false TEXT=false BRIGHTNESS=false\n"));
    EXPECT_EQ(client_->LayoutInUse(), KeyboardLayoutKind::Keypad);
    EXPECT_THAT(client_->StatusDetail(), HasSubstr("keypad layout"));
    Connect("1.6.0", KeyboardLayoutKind::Full);
    EXPECT_THAT(client_->TakeOutput(),
                HasSubstr("PRODUCT_NAME=\"kvRemote keyboard 5 on PC\" KEYS_TOTAL=126 KEYS_PER_ROW=21"));
    EXPECT_THAT(client_->StatusDetail(), IsEmpty());
    Receive("ADD-DEVICE ERROR DEVICEID=\"kvremote:PC-keyboard-5\" MESSAGE=\"Invalid KEYS_TOTAL\" \n", 20);
    EXPECT_EQ(client_->StatusDetail(), "Companion refused kvremote:PC-keyboard-5: Invalid KEYS_TOTAL");
    client_->OnTick(5000);
    EXPECT_THAT(client_->TakeOutput(), Not(HasSubstr("ADD-DEVICE"))) << "refused: not asked again";
}

TEST_F(SatelliteClientTest, TheLockKeysButtonColoursSetTheKeyboardsLightsOnceEachChange) {
    Connect("1.14.0", KeyboardLayoutKind::Full, true);
    EXPECT_THAT(client_->TakeOutput(), HasSubstr("BITMAPS=0 COLORS=true TEXT=false"));
    const auto state = [&](int key, const std::string& colour) {
        Receive("KEY-STATE DEVICEID=\"kvremote:PC-keyboard-5\" KEY=" + std::to_string(key) +
                    " TYPE=BUTTON PRESSED=false COLOR=" + colour + " TEXTCOLOR=#ffffff \n",
                20);
        return client_->TakeLights();
    };
    // ScrollLock in the top row, NumLock above the keypad, CapsLock (which presses nothing) in its place.
    const int scroll = 15, num = 38, caps = 63;
    EXPECT_THAT(state(scroll, "#ff0000"), ::testing::ElementsAre(LightChange{5, LockLight::Scroll, true}));
    EXPECT_THAT(state(scroll, "#ff0000"), IsEmpty()) << "drawn again: not a change";
    EXPECT_THAT(state(caps, "rgb(0,0,0)"), ::testing::ElementsAre(LightChange{5, LockLight::Caps, false}));
    EXPECT_THAT(state(num, "rgb(0,12,0)"), ::testing::ElementsAre(LightChange{5, LockLight::Num, true}));
    EXPECT_THAT(state(num + 1, "#ffffff"), IsEmpty()) << "not a lock key";
    EXPECT_THAT(state(scroll, "#00000"), ::testing::ElementsAre(LightChange{5, LockLight::Scroll, false}))
        << "a colour that cannot be read lights nothing";
    Receive("KEYS-CLEAR DEVICEID=\"kvremote:PC-keyboard-5\" \n", 30);
    EXPECT_THAT(client_->TakeLights(), ::testing::ElementsAre(LightChange{5, LockLight::Num, false}));
    Connect("1.14.0");
    EXPECT_THAT(client_->TakeOutput(), HasSubstr("COLORS=false")) << "without lights, no colours";
    EXPECT_THAT(state(num, "#ff0000"), IsEmpty());
}

TEST_F(SatelliteClientTest, PingsEveryTwoSecondsAnswersPingsAndIsLostAfterSixSilentSeconds) {
    Connect("1.14.0");
    client_->TakeOutput();
    Receive("PING from-server 7 \n", 500);
    EXPECT_EQ(client_->TakeOutput(), "PONG from-server 7\n");
    client_->OnTick(1999);
    EXPECT_THAT(client_->TakeOutput(), IsEmpty());
    client_->OnTick(2000);
    EXPECT_THAT(client_->TakeOutput(), HasSubstr("PING "));
    client_->OnTick(6499);
    EXPECT_FALSE(client_->WantsClose());
    client_->OnTick(6500);
    EXPECT_TRUE(client_->WantsClose());
    EXPECT_THAT(client_->StatusDetail(), HasSubstr("nothing received"));

    // Pings answered, the ADD-DEVICE not: Companion tells only the PC that holds the surface.
    Connect("1.14.0");
    for (MonoMs t = 100; t <= 10100; t += 100) {
        Receive("PONG x \n", t);
        client_->OnTick(t);
    }
    EXPECT_THAT(client_->StatusDetail(), HasSubstr("does another PC use the station name PC?"));
}

} // namespace
