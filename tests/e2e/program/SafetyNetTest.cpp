// The safety net under a capture thread that hangs in the driver, a process that crashes while the
// filters are set, or a session that ends: the user gets the main keyboard and mouse back, and the
// receiver every key up; and no key pressed while its keypad was not held is left down in the system
// when the keypad is held again.
#include "ProgramTest.h"

#include "Controls.h"
#include "UdpReceiver.h"
#include "WindowFind.h"

#include <chrono>

namespace kve2e {
namespace {

constexpr std::string_view kStopped = "Interception Driver installed - capture stopped";

class SafetyNetTest : public ProgramTest {
protected:
    // Auxiliary keyboard 3 and mouse 12 in use: both filters set.
    void LaunchCapturing() {
        WriteDevices(kFourDevices);
        WriteAuxConfig(receiver_.Port());
        Launch();
        ASSERT_TRUE(WaitForFilters(true));
    }

    // The record's lines from the first one equal to `from`.
    std::vector<std::string> RecordAfter(std::string_view from) {
        std::vector<std::string> lines = Record();
        const auto at = std::find(lines.begin(), lines.end(), from);
        return at == lines.end() ? std::vector<std::string>{} : std::vector<std::string>(at, lines.end());
    }

    UdpReceiver receiver_;
};

TEST_F(SafetyNetTest, AKeypadThatArrivesAfterStartIsGuardedToo) {
    // Nothing to hold at start: the keypad and the auxiliary mouse are away.
    WriteDevices("1 HID\\VID_0001&PID_0001\n11 HID\\VID_0002&PID_0002\n");
    WriteAuxConfig(receiver_.Port());
    Launch();
    ASSERT_TRUE(Inject("plug 3 HID\\VID_046D&PID_C31C\n"));
    ASSERT_TRUE(WaitForHeld(3, 3, 15, Millis(3000)));
    ASSERT_TRUE(Inject("stall 8000\n"));
    EXPECT_TRUE(WaitForHeld(3, 3, 0, Millis(6000))) << "the stall left the keypad held";
    ASSERT_TRUE(PostCommand(Main(), ID_TRAY_EXIT));
    EXPECT_TRUE(Program().WaitForExit(Millis(5000)));
}

TEST_F(SafetyNetTest, TheEndOfTheSessionClearsTheFiltersAndSendsWhatWasTakenThenTheReleases) {
    WriteDevices(kFourDevices);
    WriteConfig(
        "[Network]\r\nBroadcastAddress=127.255.255.255\r\nPort=" + std::to_string(receiver_.Port()) +
        "\r\n[Keyboards]\r\nDevice1=3\r\nHarwareId1=HID\\VID_046D&PID_C31C\r\nIndex1=5\r\nUseAux=1\r\n"
        "ReleaseTextCmd=AUXUP\r\n[Mouses]\r\nDevice1=12\r\nHarwareId1=HID\\VID_1234&PID_5678\r\n"
        "Index1=7\r\nUseAux=1\r\n");
    const auto before = ConfigText();
    Launch();
    ASSERT_TRUE(WaitForFilters(true));
    ASSERT_TRUE(Inject("key 3 0x47 0\n"));
    ASSERT_TRUE(ReceivesCommand(receiver_, "AUXKEYB/103/0/5"));
    // Two more presses wait in the driver while the thread is held up: the end of the session
    // takes them as capture stops.
    ASSERT_TRUE(Inject("stall 1500\n"));
    ASSERT_TRUE(WaitForRecord("stall 1500"));
    ASSERT_TRUE(Inject("key 3 0x48 0\nkey 3 0x49 0\n"));

    DWORD_PTR answer = 0;
    ASSERT_NE(
        SendMessageTimeoutA(Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &answer), 0);
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    ASSERT_NE(SendMessageTimeoutA(Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &answer),
              0);
    // Done by the time the message returns, as the process may end right then.
    EXPECT_TRUE(WaitForFilters(false, Millis(0)));
    for (const char* command :
         {"AUXKEYB/104/0/5", "AUXKEYB/105/0/5", "AUXUP/103/0/5", "AUXUP/104/0/5", "AUXUP/105/0/5"})
        EXPECT_TRUE(ReceivesCommand(receiver_, command));
    EXPECT_EQ(Record().back(), "close") << "the driver context goes once the thread has ended";
    EXPECT_TRUE(IsWindow(Main())) << "no window is destroyed";
    EXPECT_TRUE(Program().IsRunning()) << "no quit of its own";
    EXPECT_EQ(ConfigText(), before);
    EXPECT_TRUE(Exit());
}

TEST_F(SafetyNetTest, AStalledCaptureGivesTheDevicesBackAndStaysStopped) {
    LaunchCapturing();
    ASSERT_TRUE(Inject("stall 8000\n"));
    ASSERT_TRUE(WaitForFilters(false, Millis(6000)));
    // The main keyboard types again although the capture thread still hangs in its wait.
    ASSERT_TRUE(Inject("key 1 0x1E 0\n"));
    ASSERT_TRUE(WaitForRecord("system key 1 0x1E 0"));

    ASSERT_TRUE(OpenSettings());
    EXPECT_EQ(ControlText(Main(), IDC_KEYB_STATUS), std::string(kStopped));
    EXPECT_EQ(ControlText(Main(), IDC_MOUSE_STATUS), std::string(kStopped));
    const std::size_t filtersBefore = RecordLines("filter ").size();
    ASSERT_TRUE(SetControlText(Main(), IDC_DESTINATION, "RIG"));
    ASSERT_TRUE(Press(IDC_APPLY));
    ASSERT_TRUE(
        WaitUntil([&] { return ConfigText().value_or("").find("Destination=RIG") != std::string::npos; },
                  kWait, "Apply to write the file"));
    EXPECT_EQ(RecordLines("filter ").size(), filtersBefore) << "Apply set a filter after capture stopped";

    // Exit leaves the hung thread after a bounded wait.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(PostCommand(Main(), ID_TRAY_EXIT));
    EXPECT_TRUE(Program().WaitForExit(Millis(5000)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, Millis(5000));
}

// F24 down in Windows' own key state, as a key that reached the system leaves it, until destroyed.
class WindowsKeyDown {
public:
    WindowsKeyDown() { Send(0); }
    ~WindowsKeyDown() { Send(KEYEVENTF_KEYUP); }
    WindowsKeyDown(const WindowsKeyDown&) = delete;
    WindowsKeyDown& operator=(const WindowsKeyDown&) = delete;

    // Wine's X11 driver sets the key state to the X keyboard's when one of its windows gets the
    // focus, which lets go of a key only sent: it is pressed again until it stays down a while.
    testing::AssertionResult StaysDown() {
        return WaitUntil(
            [] {
                for (int i = 0; i < 10; ++i) {
                    if ((GetAsyncKeyState(VK_F24) & 0x8000) == 0) {
                        Send(0);
                        return false;
                    }
                    Sleep(50);
                }
                return true;
            },
            kWait, "F24 to stay down in Windows");
    }

private:
    static void Send(DWORD flags) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = VK_F24;
        in.ki.wScan = 0x76;
        in.ki.dwFlags = flags;
        EXPECT_EQ(SendInput(1, &in, sizeof in), 1u);
    }
};

TEST_F(SafetyNetTest, KeysPressedWhileTheKeypadWasNotHeldAreReleasedInTheSystem) {
    LaunchCapturing();
    // After a setup dialog nothing holds the keypad until Apply.
    ASSERT_TRUE(OpenSettings());
    ASSERT_TRUE(Press(IDC_KEYB_SETUP));
    HWND setup = nullptr;
    ASSERT_TRUE(WaitForWindow(Pid(), "Keyboards setup", setup));
    ASSERT_TRUE(PressButton(setup, IDCANCEL));
    ASSERT_TRUE(WaitForWindowGone(Pid(), "Keyboards setup"));
    ASSERT_TRUE(WaitForFilters(false));
    ASSERT_TRUE(Inject("key 3 0x1C 2\nkey 3 0x76 0\n")); // keypad Enter and F24 pressed
    ASSERT_TRUE(WaitForRecord("system key 3 0x1C 2"));
    ASSERT_TRUE(WaitForRecord("system key 3 0x76 0"));
    WindowsKeyDown f24;
    ASSERT_TRUE(f24.StaysDown());

    ASSERT_TRUE(Press(IDC_APPLY));
    ASSERT_TRUE(WaitForHeld(3, 3, 15));
    // F24 repeats, then both are let go.
    ASSERT_TRUE(Inject("key 3 0x76 0\nkey 3 0x76 0\nkey 3 0x76 1\nkey 3 0x1C 3\nkey 3 0x47 0\n"));
    EXPECT_EQ(receiver_.Receive(kWait), KeypadSevenLine(5)) << "only keypad 7 is captured";
    EXPECT_EQ(RecordLines("send key 3"),
              (std::vector<std::string>{"send key 3 0x76 0", "send key 3 0x76 0", "send key 3 0x76 1",
                                        "send key 3 0x1C 3"}));
    EXPECT_TRUE(Exit());
}

TEST_F(SafetyNetTest, ACrashInTheCaptureThreadClearsBothFiltersBeforeTheProcessEnds) {
    LaunchCapturing();
    ASSERT_TRUE(Inject("crash\n"));
    ASSERT_TRUE(Program().WaitForExit(kExitBound));
    EXPECT_NE(Program().ExitCode(), 0u) << "the crash goes on as a crash";
    const std::vector<std::string> after = RecordAfter("receive crash");
    ASSERT_FALSE(after.empty()) << "the driver saw no crashing receive";
    EXPECT_NE(std::find(after.begin(), after.end(), "filter keyboards 0"), after.end());
    EXPECT_NE(std::find(after.begin(), after.end(), "filter mice 0"), after.end());
}

} // namespace
} // namespace kve2e
