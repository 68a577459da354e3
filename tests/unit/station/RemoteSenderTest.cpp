// The order of effects of one captured event, as the main dialog performs them.
#include "station/RemoteSender.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;

class RecordingHost : public RemoteSenderHost {
public:
    bool foreground = false;
    uint32_t now = 1000;
    std::vector<std::string> calls;

    void SetLastCommandText(std::string_view c) override { calls.push_back("last:" + std::string(c)); }
    bool IsMainWindowForeground() override {
        calls.push_back("foreground?");
        return foreground;
    }
    void FlashTitle(std::string_view c) override { calls.push_back("title:" + std::string(c)); }
    void SendLine(std::string_view line) override { calls.push_back("send:" + std::string(line)); }
    uint32_t TickCount() override {
        calls.push_back("tick");
        return now;
    }
    void StartAnimation(uint32_t at) override { calls.push_back("animate:" + std::to_string(at)); }
};

// The line goes out first: the receiver waits for it, the window can show the command after.
TEST(SendRemoteCommand, WindowBehindSendsThenShowsCommandInTitle) {
    RecordingHost host;
    SettingsValues settings;
    SendRemoteCommand(settings, host, 65, 1, DEVICE_CLASS_KEYBOARDS, 3);
    EXPECT_THAT(host.calls,
                ElementsAre("send:REMOTE: \"REMOTE\" \"\" \"AUXKEYB/65/1/3\" 1", "last:AUXKEYB/65/1/3",
                            "foreground?", "title:AUXKEYB/65/1/3", "tick", "animate:1000"));
}

TEST(SendRemoteCommand, WindowInFrontKeepsTitle) {
    RecordingHost host;
    host.foreground = true;
    SendRemoteCommand({}, host, 1, 0, DEVICE_CLASS_MICE, 7);
    EXPECT_THAT(host.calls, ElementsAre("send:REMOTE: \"REMOTE\" \"\" \"AUXMOUSE/1/0/7\" 1",
                                        "last:AUXMOUSE/1/0/7", "foreground?", "tick", "animate:1000"));
}

TEST(SendRemoteCommand, UsesTheClassMembersAtTheTimeOfTheEvent) {
    RecordingHost host;
    host.foreground = true;
    SettingsValues settings;
    settings.keyboards = {false, 11, "KB"};
    settings.mouses = {false, 22, "MS"};
    settings.applicationId = "STN2";
    settings.destination = "RIG";
    SendRemoteCommand(settings, host, 65, 0, DEVICE_CLASS_KEYBOARDS, kMainDeviceMark);
    SendRemoteCommand(settings, host, 2, 0, DEVICE_CLASS_MICE, kMainDeviceMark);
    EXPECT_EQ(host.calls[0], "send:REMOTE: \"STN2\" \"RIG\" \"KB/65/0/11\" 1");
    EXPECT_EQ(host.calls[5], "send:REMOTE: \"STN2\" \"RIG\" \"MS/2/0/22\" 1");
}

TEST(SendRemoteCommand, NeitherClassDoesNothing) {
    RecordingHost host;
    SendRemoteCommand({}, host, 65, 0, DEVICE_CLASS_NONE, 1);
    EXPECT_TRUE(host.calls.empty());
}

} // namespace
