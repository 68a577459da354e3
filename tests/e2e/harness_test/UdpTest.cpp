#include "Controls.h"
#include "FixturePrograms.h"
#include "UdpReceiver.h"
#include "WindowFind.h"

#include <gtest/gtest.h>

namespace kve2e {
namespace {

TEST(UdpTest, ReceivesWhatAProgramSendsToLoopback) {
    UdpReceiver receiver;
    ASSERT_NE(receiver.Port(), 0);
    RunFolder folder;
    Process app =
        StartFixtureApp(folder, {"--title", UniqueTitle(), "--udp-port", std::to_string(receiver.Port())});
    HWND dialog;
    ASSERT_TRUE(WaitForWindow(app.Pid(), UniqueTitle(), dialog));
    ASSERT_TRUE(SetControlText(dialog, IDC_FIXTURE_EDIT, "REMOTE line 1"));
    ASSERT_TRUE(PressButton(dialog, IDC_FIXTURE_SEND));
    EXPECT_EQ(receiver.Receive(), "REMOTE line 1");
}

TEST(UdpTest, ReceivesOnTheHostAndTheBroadcastAddressAndTimesOutWhenNothingComes) {
    UdpReceiver receiver;
    EXPECT_EQ(receiver.Receive(Millis(100)), std::nullopt);
    ASSERT_TRUE(SendLoopback(receiver.Port(), "to host"));
    ASSERT_TRUE(SendLoopback(receiver.Port(), "to broadcast", LoopbackTarget::Broadcast));
    ASSERT_TRUE(SendLoopback(receiver.Port(), std::string("with\0nul\r\n", 10)));
    EXPECT_EQ(receiver.Receive(), "to host");
    EXPECT_EQ(receiver.Receive(), "to broadcast");
    EXPECT_EQ(receiver.Receive(), std::string("with\0nul\r\n", 10)) << "bytes come through unchanged";

    ASSERT_TRUE(SendLoopback(receiver.Port(), "a"));
    ASSERT_TRUE(SendLoopback(receiver.Port(), "b"));
    ASSERT_TRUE(WaitUntil([&] { return receiver.Drain() == 2; }, kWait, "two datagrams to drain"));
    EXPECT_EQ(receiver.Receive(Millis(100)), std::nullopt);
}

TEST(UdpTest, APortInUseFailsPlainly) {
    UdpReceiver first;
    try {
        UdpReceiver second(first.Port());
        FAIL() << "bound port " << first.Port() << " twice";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(std::to_string(first.Port())), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace kve2e
