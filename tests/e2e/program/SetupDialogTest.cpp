// The keyboards setup dialog of the running program over the simulated driver: spotting a device by
// its LED, what setup mode gives back to the system, and what OK leaves in the file and the driver.
#include "ProgramTest.h"

#include "Controls.h"
#include "MessageBoxes.h"
#include "Screenshot.h"
#include "UdpReceiver.h"
#include "WindowFind.h"

namespace kve2e {
namespace {

constexpr int kKeyboardsSetup = IDC_KEYB_SETUP;
constexpr int kApply = IDC_APPLY;
// Slots 1 and 3 of the keyboards dialog: devices 1 (the main keyboard) and 3.
constexpr int kSlot1Led = IDC_SLOT1_LED, kSlot3Led = IDC_SLOT3_LED, kSlot3Index = IDC_SLOT3_INDEX;

enum class Led { Lit, Unlit, Unseen };

// The LED as the screen shows it, by the face colours of the green cells.
Led LedOnScreen(const RgbImage& screen, HWND led) {
    RECT r{};
    GetWindowRect(led, &r);
    bool unlit = false;
    for (int y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, screen.height); ++y) {
        for (int x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, screen.width); ++x) {
            const uint8_t* p = &screen.rgb[(static_cast<size_t>(y) * screen.width + x) * 3];
            if (p[0] == 0 && p[1] == 255 && p[2] == 0) {
                return Led::Lit;
            }
            unlit = unlit || (p[0] == 0 && p[1] == 128 && p[2] == 0);
        }
    }
    return unlit ? Led::Unlit : Led::Unseen;
}

class SetupDialogTest : public ProgramTest {
protected:
    // Launches with both classes in use and opens the keyboards setup from the settings window.
    void OpenKeyboardsSetup(std::string_view keyboardsExtra = {}) {
        WriteDevices(kFourDevices);
        WriteConfig(
            std::string("[Network]\r\nBroadcastAddress=127.255.255.255\r\nPort=") +
            std::to_string(receiver_.Port()) +
            "\r\n[Keyboards]\r\nDevice1=3\r\nHarwareId1=HID\\VID_046D&PID_C31C\r\nIndex1=5\r\n"
            "UseAux=1\r\n" +
            std::string(keyboardsExtra) +
            "[Mouses]\r\nDevice1=12\r\nHarwareId1=HID\\VID_1234&PID_5678\r\nIndex1=7\r\nUseAux=1\r\n");
        Launch();
        ASSERT_TRUE(WaitForFilters(true));
        ASSERT_TRUE(OpenSettings());
        ASSERT_TRUE(Press(kKeyboardsSetup));
        ASSERT_TRUE(WaitForWindow(Pid(), "Keyboards setup", setup_));
        ASSERT_TRUE(WaitForHeld(1, 10, 15)); // every keyboard, to light its slot
    }

    std::string Entry(const char* section, const char* key) const {
        char value[256] = {};
        GetPrivateProfileStringA(section, key, "(none)", value, sizeof value, ConfigPath().string().c_str());
        return value;
    }

    HWND setup_ = nullptr;
    UdpReceiver receiver_;
};

TEST_F(SetupDialogTest, AKeyPressLightsItsSlotAndIsGivenBackWhileAModifierAloneLightsNothing) {
    OpenKeyboardsSetup();
    EXPECT_TRUE(WaitForHeld(11, 20, 0)) << "only keyboards are captured";
    HWND slot1 = Control(setup_, kSlot1Led), slot3 = Control(setup_, kSlot3Led);
    ASSERT_TRUE(slot1 && slot3);

    // Shift alone and releases on the main keyboard, then a key on keyboard 3, again and again so
    // that a lit LED is on the screen when it is read: each read shows what all of them did.
    const char* strokes = "key 1 0x2A 0\nkey 1 0x1E 1\nkey 1 0x2A 1\nkey 3 0x1E 0\nkey 3 0x1E 1\n";
    Led mainLed = Led::Unseen;
    EXPECT_TRUE(WaitUntil(
        [&] {
            Inject(strokes);
            Sleep(100);
            const RgbImage screen = CaptureScreen();
            mainLed = LedOnScreen(screen, slot1);
            return LedOnScreen(screen, slot3) == Led::Lit;
        },
        kWait, "the LED of keyboard 3 to light"));
    EXPECT_EQ(mainLed, Led::Unlit) << "Shift and key releases light no LED";
    EXPECT_TRUE(WaitUntil([&] { return LedOnScreen(CaptureScreen(), slot3) == Led::Unlit; }, kWait,
                          "the LED to go out after the presses stop"));

    // The main keyboard is spotted the same way.
    EXPECT_TRUE(WaitUntil(
        [&] {
            Inject("key 1 0x1E 0\nkey 1 0x1E 1\n");
            Sleep(100);
            return LedOnScreen(CaptureScreen(), slot1) == Led::Lit;
        },
        kWait, "the LED of keyboard 1 to light"));

    // Setup mode gives every stroke back to the system, the auxiliary keyboard's and the modifiers
    // and releases included, so no key stays held down there while the dialog is open.
    for (const char* line : {"send key 1 0x2A 0", "send key 1 0x2A 1", "send key 3 0x1E 0",
                             "send key 3 0x1E 1", "send key 1 0x1E 0", "send key 1 0x1E 1"}) {
        EXPECT_TRUE(WaitForRecord(line));
    }
    EXPECT_FALSE(receiver_.Receive(kQuiet)) << "nothing is sent to the network while setting up";

    ASSERT_TRUE(PressButton(setup_, IDCANCEL));
    ASSERT_TRUE(WaitForWindowGone(Pid(), "Keyboards setup"));
    EXPECT_TRUE(WaitForFilters(false));
    EXPECT_TRUE(Exit());
}

TEST_F(SetupDialogTest, OkWritesTheDeviceEntriesKeepsTheClassSettingsAndLeavesBothFiltersOff) {
    OpenKeyboardsSetup("MainIndex=4\r\nTextCmd=KEYS\r\n");
    const auto before = ConfigText();

    // A rejected index first: the box of the setup dialog, and the file as it was.
    ASSERT_TRUE(SetControlText(setup_, kSlot3Index, "256"));
    ASSERT_TRUE(PressButton(setup_, IDOK));
    HWND box = nullptr;
    ASSERT_TRUE(WaitForMessageBox(Pid(), box, "Error"));
    EXPECT_EQ(MessageBoxText(box), "Devices indexes must be between 0 and 255.");
    ASSERT_TRUE(PressMessageBoxButton(box, IDOK));
    EXPECT_EQ(ConfigText(), before);

    ASSERT_TRUE(SetControlText(setup_, kSlot3Index, "42"));
    ASSERT_TRUE(PressButton(setup_, IDOK));
    ASSERT_TRUE(WaitForWindowGone(Pid(), "Keyboards setup"));
    EXPECT_EQ(Entry("Keyboards", "Device1"), "3");
    EXPECT_EQ(Entry("Keyboards", "HarwareId1"), "HID\\VID_046D&PID_C31C");
    EXPECT_EQ(Entry("Keyboards", "Index1"), "42");
    EXPECT_EQ(Entry("Keyboards", "Device2"), "(none)") << "the main keyboard has no entry";
    EXPECT_EQ(Entry("Keyboards", "UseAux"), "1");
    EXPECT_EQ(Entry("Keyboards", "MainIndex"), "4");
    EXPECT_EQ(Entry("Keyboards", "TextCmd"), "KEYS");
    EXPECT_EQ(Entry("Mouses", "Index1"), "7");

    EXPECT_TRUE(WaitForFilters(false)) << "nothing is captured until the settings are applied";
    ASSERT_TRUE(Inject("key 3 0x47 0\n"));
    EXPECT_TRUE(WaitForRecord("system key 3 0x47 0"));

    // Apply captures again, and keyboard 3 now sends with its new index.
    ASSERT_TRUE(Press(kApply));
    ASSERT_TRUE(WaitForFilters(true));
    ASSERT_TRUE(Inject("key 3 0x47 0\n"));
    const auto line = receiver_.Receive(kWait);
    EXPECT_EQ(line.value_or("(nothing)"), "REMOTE: \"REMOTE\" \"\" \"KEYS/103/0/42\" 1");
    EXPECT_TRUE(Exit());
}

} // namespace
} // namespace kve2e
