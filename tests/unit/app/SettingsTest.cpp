#include "settings/IniProfileStore.h"
#include "base/LeadingDecimal.h"
#include "settings/SettingIds.h"
#include "station/SettingsFile.h"
#include "TempDir.h"
#include <climits>
#include <gtest/gtest.h>

namespace {

TEST(ParseLeadingDecimal, TakesSignAndDigitsAfterWhiteSpace) {
    struct Case {
        const char* text;
        int value;
    } cases[] = {{"12ab", 12},
                 {"abc", 0},
                 {"", 0},
                 {" \t-42x", -42},
                 {"+7", 7},
                 {"- 5", 0},
                 {"0x1F", 0},
                 {"3.9", 3},
                 {"00012", 12},
                 {"-0", 0},
                 {"\t\n 42x", 42},
                 {"2147483647", INT_MAX},
                 {"2147483648", INT_MAX},
                 {"99999999999", INT_MAX},
                 {"-2147483648", INT_MIN},
                 {"-2147483649", INT_MIN},
                 {"-99999999999", INT_MIN}};
    for (const Case& c : cases)
        EXPECT_EQ(ParseLeadingDecimal(c.text), c.value) << c.text;
}

TEST(SettingNames, MapsIdsToNames) {
    SettingNames names;
    EXPECT_EQ(names.Name(SECTION_NETWORK), "");
    names.Fill();
    EXPECT_EQ(names.Name(SECTION_NETWORK), "Network");
    EXPECT_EQ(names.Name(KEY_DESTINATION), "Destination");
    EXPECT_EQ(names.Name(SECTION_MOUSES), "Mouses");
    EXPECT_EQ(names.Name(KEY_MOUSES_USE_AUX), names.Name(KEY_KEYBOARDS_USE_AUX));
    EXPECT_EQ(names.Name(999), "");
}

class SettingsFileTest : public ::testing::Test {
protected:
    SettingsFileTest() { names.Fill(); }
    TempDir dir;
    SettingNames names;
    IniProfileStore store{dir.File("kvRemote.ini")};
    Settings settings{store, names};

    void Given(const std::string& content) { dir.Write("kvRemote.ini", content); }
};

TEST_F(SettingsFileTest, NoFileGivesEveryDefault) {
    SettingsValues values;
    values.port = 1;
    values.keyboards.textCmd = "X";
    bool hookRan = false;
    LoadSettings(settings, values, [&] { hookRan = true; });
    EXPECT_TRUE(hookRan);
    EXPECT_EQ(values.broadcastAddress, "");
    EXPECT_EQ(values.port, 9871);
    EXPECT_EQ(values.applicationId, "REMOTE");
    EXPECT_EQ(values.destination, "");
    EXPECT_FALSE(values.keyboards.useAux);
    EXPECT_EQ(values.keyboards.mainIndex, 0);
    EXPECT_EQ(values.keyboards.textCmd, "AUXKEYB");
    EXPECT_FALSE(values.mouses.useAux);
    EXPECT_EQ(values.mouses.textCmd, "AUXMOUSE");
}

TEST_F(SettingsFileTest, ReadsValuesAsTheyStand) {
    Given(
        "[Network]\r\nPort=12ab\r\nApplicationId=\r\n[Keyboards]\r\nUseAux=\r\nMainIndex=300\r\nTextCmd=\r\n"
        "[Mouses]\r\nUseAux=yes\r\nMainIndex=-4\r\n");
    SettingsValues values;
    LoadSettings(settings, values);
    EXPECT_EQ(values.port, 12);
    EXPECT_EQ(values.applicationId, "");
    EXPECT_TRUE(values.keyboards.useAux);
    EXPECT_EQ(values.keyboards.mainIndex, 300);
    EXPECT_EQ(values.keyboards.textCmd, "");
    EXPECT_TRUE(values.mouses.useAux);
    EXPECT_EQ(values.mouses.mainIndex, -4);
}

TEST_F(SettingsFileTest, FlagIsOffOnlyForExactlyZero) {
    struct Case {
        const char* line;
        bool on;
    } cases[] = {{"UseAux=0", false},  {"", false},         {"UseAux=1", true},   {"UseAux=", true},
                 {"UseAux=yes", true}, {"UseAux=00", true}, {"UseAux= 0 ", false}};
    for (const Case& c : cases) {
        Given(std::string("[Keyboards]\r\n") + c.line + "\r\n");
        bool flag = !c.on;
        settings.ReadSettingBool(SECTION_KEYBOARDS, KEY_KEYBOARDS_USE_AUX, flag);
        EXPECT_EQ(flag, c.on) << c.line;
    }
}

TEST_F(SettingsFileTest, IntegerWithoutDigitsReadsZero) {
    Given("[Network]\r\nPort=abc\r\n");
    int port = -1;
    settings.ReadSettingInt(SECTION_NETWORK, KEY_PORT, 9871, port);
    EXPECT_EQ(port, 0);
}

TEST(ForceUseAux, NeedsCaptureAndTwoDevicesOfTheClass) {
    struct Case {
        bool capture;
        int keyboards, mouses;
        bool keyboardsOn, mousesOn;
    } cases[] = {{false, 5, 5, false, false},
                 {true, 1, 2, false, true},
                 {true, 2, 0, true, false},
                 {true, 0, 1, false, false}};
    for (const Case& c : cases) {
        SettingsValues values;
        values.keyboards.useAux = values.mouses.useAux = true;
        ForceUseAux(values, c.capture, c.keyboards, c.mouses);
        EXPECT_EQ(values.keyboards.useAux, c.keyboardsOn) << c.capture << c.keyboards;
        EXPECT_EQ(values.mouses.useAux, c.mousesOn) << c.capture << c.mouses;
    }
}

TEST_F(SettingsFileTest, SaveWritesInOrderWithDeviceListsBetween) {
    SettingsValues values;
    values.broadcastAddress = "192.168.1.255";
    values.keyboards = {true, 3, "", ""};
    values.mouses.mainIndex = 255;
    std::vector<DeviceClass> hooked;
    SaveReport report = SaveSettings(settings, values, [&](Settings& s, DeviceClass c) {
        hooked.push_back(c);
        return s.WriteKey(c == DEVICE_CLASS_MICE ? SECTION_MOUSES : SECTION_KEYBOARDS, "Device1",
                          c == DEVICE_CLASS_MICE ? "11" : "1");
    });
    EXPECT_TRUE(report.Ok());
    EXPECT_EQ(hooked, (std::vector<DeviceClass>{DEVICE_CLASS_KEYBOARDS, DEVICE_CLASS_MICE}));
    EXPECT_EQ(TempDir::Contents(store.Path()),
              "[Network]\r\nBroadcastAddress=192.168.1.255\r\nPort=9871\r\nApplicationId=REMOTE\r\n"
              "[RemoteCmd]\r\nDestination=\r\n"
              "[Keyboards]\r\nDevice1=1\r\nUseAux=1\r\nMainIndex=3\r\nTextCmd=\r\n"
              "[Mouses]\r\nDevice1=11\r\nUseAux=0\r\nMainIndex=255\r\nTextCmd=AUXMOUSE\r\n");

    SettingsValues back;
    LoadSettings(settings, back);
    EXPECT_EQ(back.broadcastAddress, values.broadcastAddress);
    EXPECT_EQ(back.keyboards.textCmd, "");
    EXPECT_TRUE(back.keyboards.useAux);
    EXPECT_EQ(back.mouses.mainIndex, 255);

    // The optional release command: written once it has a value, and kept as a key once there.
    values.keyboards.releaseTextCmd = "AUXUP";
    EXPECT_TRUE(SaveSettings(settings, values, {}).Ok());
    LoadSettings(settings, back);
    EXPECT_EQ(back.keyboards.releaseTextCmd, "AUXUP");
    values.keyboards.releaseTextCmd.clear();
    EXPECT_TRUE(SaveSettings(settings, values, {}).Ok());
    EXPECT_NE(TempDir::Contents(store.Path()).find("TextCmd=\r\nReleaseTextCmd=\r\n"), std::string::npos);
}

TEST_F(SettingsFileTest, SaveReportsEveryFailedWrite) {
    IniProfileStore unwritable(dir.File("missing/kvRemote.ini"));
    Settings failing(unwritable, names);
    SaveReport report = SaveSettings(failing, SettingsValues{}, [](Settings&, DeviceClass) { return true; });
    EXPECT_EQ(report.failed,
              (std::vector<int>{KEY_BROADCAST_ADDRESS, KEY_PORT, KEY_APPLICATION_ID, KEY_DESTINATION,
                                KEY_KEYBOARDS_USE_AUX, KEY_KEYBOARDS_MAIN_INDEX, KEY_KEYBOARDS_TEXT_CMD,
                                KEY_MOUSES_USE_AUX, KEY_MOUSES_MAIN_INDEX, KEY_MOUSES_TEXT_CMD}));
    SaveReport hookFailed = SaveSettings(settings, SettingsValues{},
                                         [](Settings&, DeviceClass c) { return c != DEVICE_CLASS_MICE; });
    EXPECT_EQ(hookFailed.failed, (std::vector<int>{SECTION_MOUSES}));
}

} // namespace
