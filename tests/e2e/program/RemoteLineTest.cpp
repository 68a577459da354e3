// What a peer receives and what the system gets back, for strokes injected into the simulated
// driver while the program runs in the tray with its link open.
#include "ProgramTest.h"

#include "Controls.h"
#include "UdpReceiver.h"
#include "WindowFind.h"

#include <algorithm>
#include <optional>

namespace kve2e {
namespace {

class RemoteLineTest : public ProgramTest {
protected:
    // Keyboards only: waits for the keyboard filter alone.
    void LaunchWithKeyboards(std::string_view devices, std::string_view config) {
        WriteDevices(devices);
        WriteConfig(config);
        Launch();
        ASSERT_TRUE(WaitUntil(
            [&] {
                const auto filters = Filters();
                return std::any_of(filters.begin() + 1, filters.begin() + 11, [](int f) { return f != 0; });
            },
            kWait, "a keyboard held"));
    }

    testing::AssertionResult Receives(const std::string& line) {
        const auto got = receiver_.Receive(kWait);
        if (!got) {
            return testing::AssertionFailure()
                   << "no datagram within " << kWait.count() << " ms, expected " << line;
        }
        if (*got != line) {
            return testing::AssertionFailure() << "received \"" << *got << "\", expected \"" << line << "\"";
        }
        return testing::AssertionSuccess();
    }

    testing::AssertionResult ReceivesNothing() {
        if (const auto got = receiver_.Receive(kQuiet)) {
            return testing::AssertionFailure() << "unexpected datagram \"" << *got << "\"";
        }
        return testing::AssertionSuccess();
    }

    UdpReceiver receiver_;
};

TEST_F(RemoteLineTest, AKeypadSevenPressBecomesOneRemoteLineAndShowsAsLastCommand) {
    WriteDevices(kFourDevices);
    WriteAuxConfig(receiver_.Port());
    Launch();
    ASSERT_TRUE(WaitForFilters(true));

    ASSERT_TRUE(Inject("key 3 0x47 0\nkey 3 0x47 1\n"));
    EXPECT_TRUE(Receives(KeypadSevenLine(5)));
    EXPECT_TRUE(ReceivesNothing()) << "the release sends nothing";
    EXPECT_TRUE(WaitUntil([&] { return ControlText(Main(), IDC_LAST_COMMAND) == "AUXKEYB/103/0/5"; }, kWait,
                          "\"Last command sent\" to show the command"));
    EXPECT_TRUE(RecordLines("send key 3").empty()) << "an auxiliary keyboard's strokes are not given back";
    EXPECT_TRUE(RecordLines("system key 3").empty()) << "nor do they reach the system";

    // The window is hidden, so the title shows the latest command until about a second after it.
    // Presses keep coming until the title is seen, so a slow poll cannot miss the flash.
    EXPECT_TRUE(WaitUntil(
        [&] {
            Inject("key 3 0x47 0\nkey 3 0x47 1\n");
            Sleep(200);
            return WindowText(Main()) == "AUXKEYB/103/0/5";
        },
        kWait, "the title to show the command"));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(Main()) == kTitle; }, kWait, "the title to return"));
    EXPECT_TRUE(Exit());
}

TEST_F(RemoteLineTest, EveryIndexFrom0To255TravelsAsItIs) {
    const int indexes[] = {0, 127, 128, 200, 255};
    std::string devices = "1 HID\\MAIN\n";
    std::string config =
        "[Network]\r\nBroadcastAddress=127.255.255.255\r\nPort=" + std::to_string(receiver_.Port()) +
        "\r\n[Keyboards]\r\nUseAux=1\r\n";
    for (int n = 1; n <= 5; ++n) {
        const std::string id = "HID\\AUX" + std::to_string(n);
        devices += std::to_string(n + 1) + " " + id + "\n";
        config += "Device" + std::to_string(n) + "=" + std::to_string(n + 1) + "\r\nHarwareId" +
                  std::to_string(n) + "=" + id + "\r\nIndex" + std::to_string(n) + "=" +
                  std::to_string(indexes[n - 1]) + "\r\n";
    }
    LaunchWithKeyboards(devices, config);

    std::string strokes;
    for (int device = 2; device <= 6; ++device) {
        strokes += "key " + std::to_string(device) + " 0x47 0\n";
    }
    ASSERT_TRUE(Inject(strokes));
    for (int index : indexes) {
        EXPECT_TRUE(Receives(KeypadSevenLine(index))) << "index " << index;
    }
    EXPECT_TRUE(Exit());
}

TEST_F(RemoteLineTest, MainDeviceStrokesGoBackUnchangedAndInOrder) {
    WriteDevices(kFourDevices);
    WriteAuxConfig(receiver_.Port());
    Launch();
    ASSERT_TRUE(WaitForFilters(true));

    const std::vector<std::string> strokes{
        "key 1 0x1E 0", "key 1 0x1E 1", "key 1 0x52 2", "key 1 0x52 3",       "key 1 0x47 0",
        "key 1 0x47 1", "mouse 11 1 0", "mouse 11 2 0", "mouse 11 1024 -120", "mouse 11 0 0"};
    std::string text;
    for (const auto& s : strokes) {
        text += s + "\n";
    }
    ASSERT_TRUE(Inject(text));
    // Not held at all: they reach the system without waiting on the program.
    ASSERT_TRUE(WaitForRecord("system " + strokes.back()));
    std::vector<std::string> sent;
    for (const auto& line : RecordLines("system ")) {
        sent.push_back(line.substr(7));
    }
    EXPECT_EQ(sent, strokes);
    EXPECT_TRUE(RecordLines("send ").empty());
    EXPECT_TRUE(ReceivesNothing()) << "main devices send no REMOTE line";
    EXPECT_TRUE(Exit());
}

// A burst of main-mouse moves, as a fast mouse sends them, all reaches the system, none held.
TEST_F(RemoteLineTest, AMainMouseBurstOfMovesComesBackWhole) {
    WriteDevices(kFourDevices);
    WriteAuxConfig(receiver_.Port());
    Launch();
    ASSERT_TRUE(WaitForFilters(true));

    constexpr size_t kMoves = 2000;
    std::string hundred;
    for (int i = 0; i < 100; ++i)
        hundred += "move 11\n";
    for (size_t sent = 0; sent < kMoves; sent += 100)
        ASSERT_TRUE(Inject(hundred));
    EXPECT_TRUE(WaitUntil([&] { return RecordLines("system mouse 11 ").size() >= kMoves; }, kWait * 4,
                          "every move at the system"));
    EXPECT_EQ(RecordLines("system mouse 11 ").size(), kMoves) << "none twice";
    EXPECT_TRUE(RecordLines("send mouse 11").empty()) << "none held by the driver for the program";
    EXPECT_TRUE(RecordLines("error").empty());
    EXPECT_TRUE(Exit());
}

TEST_F(RemoteLineTest, AnAuxiliaryMouseIsSwallowedMovesIncludedAndItsClicksAndWheelAreSent) {
    WriteDevices(kFourDevices);
    WriteAuxConfig(receiver_.Port());
    Launch();
    ASSERT_TRUE(WaitForFilters(true));

    ASSERT_TRUE(Inject("move 12\nmouse 12 1 0\nmove 12\nmouse 12 2 0\nmouse 12 1024 -120\nmouse 12 5 0\n"
                       "mouse 12 0x400 120\n"));
    EXPECT_TRUE(Receives("REMOTE: \"REMOTE\" \"\" \"AUXMOUSE/1/0/7\" 1"));
    EXPECT_TRUE(Receives("REMOTE: \"REMOTE\" \"\" \"AUXMOUSE/2/0/7\" 1"));
    EXPECT_TRUE(Receives("REMOTE: \"REMOTE\" \"\" \"AUXMOUSE/1024/-120/7\" 1"));
    // Two buttons in one stroke send nothing; the last wheel step proves that was handled.
    EXPECT_TRUE(Receives("REMOTE: \"REMOTE\" \"\" \"AUXMOUSE/1024/120/7\" 1"));
    EXPECT_TRUE(RecordLines("send mouse 12").empty()) << "nothing of the auxiliary mouse is given back";
    EXPECT_TRUE(RecordLines("system mouse 12").empty()) << "its moves do not reach the system either";
    EXPECT_TRUE(Exit());
}

// The real library's failure: the wait keeps answering a device whose receive reads nothing.
TEST_F(RemoteLineTest, AFailedReceiveLeavesBothFiltersOffEvenAfterApply) {
    WriteDevices(kFourDevices);
    WriteAuxConfig(receiver_.Port());
    Launch();
    ASSERT_TRUE(WaitForFilters(true));

    ASSERT_TRUE(Inject("fail 3\n"));
    ASSERT_TRUE(WaitForRecord("receive failed"));
    EXPECT_TRUE(WaitForFilters(false)) << "nobody is left to take held strokes";

    ASSERT_TRUE(OpenSettings());
    EXPECT_EQ(ControlText(Main(), IDC_KEYB_STATUS), "Interception Driver installed - capture stopped");
    ASSERT_TRUE(Press(IDC_APPLY));
    ASSERT_TRUE(WaitUntil([&] { return ConfigText().value_or("").find("MainIndex") != std::string::npos; },
                          kWait, "Apply to write the file"));
    EXPECT_TRUE(WaitForFilters(false, Millis(2000)));
    ASSERT_TRUE(Inject("key 3 0x1E 0\n"));
    EXPECT_TRUE(WaitForRecord("system key 3 0x1E 0")) << "the keyboard types into the system again";
    EXPECT_TRUE(ReceivesNothing());
    EXPECT_TRUE(Exit());
}

} // namespace
} // namespace kve2e
