// Devices that come and go while the program runs: identical keypads, a re-plug, a newcomer, a
// renumbering across a sleep, main devices of a keypad's model, and which strokes the driver holds.
#include "ProgramTest.h"

#include "Controls.h"
#include "UdpReceiver.h"

#include <algorithm>

namespace kve2e {
namespace {

// The main keyboard and mouse, two identical keypads at 3 and 4 and an auxiliary mouse.
constexpr std::string_view kTwins = "1 HID\\VID_0001&PID_0001\n"
                                    "3 HID\\VID_0003&PID_0003\n"
                                    "4 HID\\VID_0003&PID_0003\n"
                                    "11 HID\\VID_0002&PID_0002\n"
                                    "12 HID\\VID_1234&PID_5678\n";

// Main devices of the auxiliary ones' models: the main keyboard at 1 is the model of the keypads at 3
// and 4; the main mouse at 11 the model of the auxiliary mouse saved at 13, which is away.
constexpr std::string_view kSameModels = "1 HID\\VID_0003&PID_0003\n"
                                         "3 HID\\VID_0003&PID_0003\n"
                                         "4 HID\\VID_0003&PID_0003\n"
                                         "11 HID\\VID_0005&PID_0005\n"
                                         "12 HID\\VID_1234&PID_5678\n";

constexpr std::string_view kAbsentMouse = "Device2=13\r\nHarwareId2=HID\\VID_0005&PID_0005\r\nIndex2=8\r\n";

class DevicesTest : public ProgramTest {
protected:
    // Keypads 3 and 4 and mouse 12 set up, `moreMice` added to the mice.
    void LaunchWithTwins(std::string_view devices = kTwins, std::string_view moreMice = {}) {
        WriteDevices(devices);
        WriteConfig(
            "[Network]\r\nBroadcastAddress=127.255.255.255\r\nPort=" + std::to_string(receiver_.Port()) +
            "\r\n[Keyboards]\r\nUseAux=1\r\n"
            "Device1=3\r\nHarwareId1=HID\\VID_0003&PID_0003\r\nIndex1=5\r\n"
            "Device2=4\r\nHarwareId2=HID\\VID_0003&PID_0003\r\nIndex2=6\r\n"
            "[Mouses]\r\nUseAux=1\r\nDevice1=12\r\nHarwareId1=HID\\VID_1234&PID_5678\r\nIndex1=7\r\n" +
            std::string(moreMice));
        Launch();
        ASSERT_TRUE(WaitForFilters(true));
    }

    // A re-read sets the filter of the numbers that changed; waits for that line and for the rest of
    // the re-read on the program's thread.
    testing::AssertionResult Reread(const std::string& filterLine) {
        DWORD_PTR ignored = 0;
        auto result = WaitForRecord(filterLine);
        if (result && !::SendMessageTimeoutA(Main(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored))
            return testing::AssertionFailure() << "the program does not answer";
        return result;
    }

    testing::AssertionResult Receives(const std::string& command) {
        return ReceivesCommand(receiver_, command);
    }

    UdpReceiver receiver_;
};

TEST_F(DevicesTest, IdenticalKeypadsBothSendAndOnlyTheyAreHeld) {
    LaunchWithTwins();
    const std::array<int, 21> filters = Filters();
    EXPECT_EQ(filters[3], 15);
    EXPECT_EQ(filters[4], 15);
    EXPECT_EQ(filters[12], 5183);
    EXPECT_EQ(filters[1], 0) << "the main keyboard never waits on the program";
    EXPECT_EQ(filters[11], 0) << "nor does the main mouse";

    ASSERT_TRUE(Inject("key 3 0x47 0\nkey 4 0x47 0\nkey 1 0x1E 0\nmove 11\n"));
    EXPECT_TRUE(Receives("AUXKEYB/103/0/5"));
    EXPECT_TRUE(Receives("AUXKEYB/103/0/6"));
    EXPECT_TRUE(WaitForRecord("system key 1 0x1E 0"));
    EXPECT_TRUE(WaitForRecord("system mouse 11 0 0"));
    // Insert with Num Lock on comes wrapped in E0 shift strokes: one line, for the key alone.
    ASSERT_TRUE(Inject("key 3 0x2A 2\nkey 3 0x52 2\nkey 3 0x52 3\nkey 3 0x2A 3\nkey 3 0x47 0\n"));
    EXPECT_TRUE(Receives("AUXKEYB/45/0/5"));
    EXPECT_TRUE(Receives("AUXKEYB/103/0/5")) << "nothing between the two";
    EXPECT_TRUE(Exit());
}

TEST_F(DevicesTest, AReplugIsFollowedANewcomerTypesAndAWakeUpFindsARenumbering) {
    LaunchWithTwins();
    // The first keypad goes and comes back at 7: held there within a second, with its index.
    ASSERT_TRUE(Inject("unplug 3\nplug 7 HID\\VID_0003&PID_0003\n"));
    ASSERT_TRUE(WaitForHeld(7, 7, 15, Millis(3000)));
    ASSERT_TRUE(Inject("key 7 0x47 0\n"));
    EXPECT_TRUE(Receives("AUXKEYB/103/0/5"));
    // An unknown keyboard is not held: its keys go to the system and send nothing.
    ASSERT_TRUE(Inject("plug 8 HID\\VID_0009&PID_0009\n"));
    ASSERT_TRUE(WaitForRecord("plug 8 HID\\VID_0009&PID_0009"));
    ASSERT_TRUE(Inject("key 8 0x1E 0\n"));
    EXPECT_TRUE(WaitForRecord("system key 8 0x1E 0"));
    // Shift held on the keypad survives another device arriving.
    ASSERT_TRUE(Inject("key 7 0x2A 0\nplug 9 HID\\VID_000A&PID_000A\n"));
    ASSERT_TRUE(WaitForRecord("plug 9 HID\\VID_000A&PID_000A"));
    Sleep(1000); // the re-read waits for the burst to end
    ASSERT_TRUE(Inject("key 7 0x1E 0\nkey 7 0x2A 1\n"));
    EXPECT_TRUE(Receives("AUXKEYB/65/1/5"));
    EXPECT_TRUE(RecordLines("system key 7").empty()) << "a held keypad never types into the system";

    // Numbers change across a sleep without a word; the wake-up message is enough.
    ASSERT_TRUE(Inject("quiet unplug 4\nquiet plug 10 HID\\VID_0003&PID_0003\n"));
    ASSERT_TRUE(WaitForRecord("quiet plug 10 HID\\VID_0003&PID_0003"));
    ASSERT_TRUE(::PostMessageA(Main(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0));
    ASSERT_TRUE(WaitForHeld(10, 10, 15, Millis(3000)));
    ASSERT_TRUE(Inject("key 10 0x47 0\n"));
    EXPECT_TRUE(Receives("AUXKEYB/103/0/6"));

    // The status line counts the keyboards present now: 1, 7, 8, 9 and 10.
    ASSERT_TRUE(OpenSettings());
    EXPECT_EQ(ControlText(Main(), IDC_KEYB_STATUS), "Interception Driver installed - 5 keyboard(s) found");
    EXPECT_TRUE(Exit());
}

TEST_F(DevicesTest, AMainDeviceOfAKeypadsModelIsNeverHeldAndAReplugStillIsFollowed) {
    LaunchWithTwins(kSameModels, kAbsentMouse);
    // At start-up the main mouse may as well be the absent one: it is not held.
    ASSERT_TRUE(Inject("mouse 11 1\n"));
    EXPECT_TRUE(WaitForRecord("system mouse 11 1 0"));

    ASSERT_TRUE(Inject("unplug 3\nplug 7 HID\\VID_0003&PID_0003\n"));
    ASSERT_TRUE(WaitForHeld(7, 7, 15, Millis(3000)));
    ASSERT_TRUE(Inject("key 7 0x47 0\n"));
    EXPECT_TRUE(Receives("AUXKEYB/103/0/5"));

    // It goes again, then the main keyboard is renumbered in one re-read: it is not taken for it.
    ASSERT_TRUE(Inject("unplug 7\n"));
    ASSERT_TRUE(Reread("filter devices 7 0 unchanged"));
    ASSERT_TRUE(Inject("unplug 1\nplug 8 HID\\VID_0003&PID_0003\n"));
    ASSERT_TRUE(Reread("filter devices 1 8 0 unchanged"));
    EXPECT_EQ(Filters()[8], 0);
    ASSERT_TRUE(Inject("key 8 0x1E 0\n"));
    EXPECT_TRUE(WaitForRecord("system key 8 0x1E 0"));
    EXPECT_TRUE(Exit());
}

TEST_F(DevicesTest, AMainKeyboardRenumberedAcrossTwoRereadsWhileItsTwinIsAwayIsNotHeld) {
    LaunchWithTwins(kSameModels, kAbsentMouse);
    for (const int device : {3, 1}) {
        ASSERT_TRUE(Inject("unplug " + std::to_string(device) + "\n"));
        ASSERT_TRUE(Reread("filter devices " + std::to_string(device) + " 0 unchanged"));
    }
    ASSERT_TRUE(Inject("plug 8 HID\\VID_0003&PID_0003\n"));
    ASSERT_TRUE(Reread("filter devices 8 0 unchanged"));
    EXPECT_EQ(Filters()[8], 0);
    ASSERT_TRUE(Inject("key 8 0x1E 0\n"));
    EXPECT_TRUE(WaitForRecord("system key 8 0x1E 0"));
    EXPECT_TRUE(Exit());
}

TEST_F(DevicesTest, SetupModeGivesBackEveryHeldStrokeUpToExit) {
    LaunchWithTwins();
    ASSERT_TRUE(OpenSettings());
    ASSERT_TRUE(Press(IDC_KEYB_SETUP));
    ASSERT_TRUE(WaitForHeld(1, 10, 15));
    std::string burst;
    constexpr int kStrokes = 300;
    for (int i = 0; i < kStrokes; ++i)
        burst.append("key 1 0x1E ").append(i % 2 ? "1" : "0").append("\n");
    ASSERT_TRUE(Inject(burst));
    ASSERT_TRUE(PostCommand(Main(), ID_TRAY_EXIT));
    ASSERT_TRUE(Program().WaitForExit(kExitBound));
    // Each stroke reached the system once: given back by the program, or not held any more.
    EXPECT_EQ(RecordLines("send key 1 0x1E").size() + RecordLines("system key 1 0x1E").size(),
              static_cast<std::size_t>(kStrokes));
}

} // namespace
} // namespace kve2e
