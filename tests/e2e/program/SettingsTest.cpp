// The settings window: what a hand-written file shows, what Apply refuses, what it writes and
// that the link follows it.
#include "ProgramTest.h"

#include "Controls.h"
#include "MessageBoxes.h"
#include "UdpReceiver.h"

#include <sstream>

namespace kve2e {
namespace {

class SettingsTest : public ProgramTest {};

// The file's lines without blank ones, each cut after the '=' unless keepValues.
std::vector<std::string> Keys(const std::string& text, bool keepValues) {
    std::vector<std::string> keys;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        const auto eq = line.find('=');
        keys.push_back(keepValues || eq == std::string::npos ? line : line.substr(0, eq + 1));
    }
    return keys;
}

TEST_F(SettingsTest, AHandWrittenFileShowsAsItIsRead) {
    const std::string twenty = "ABCDEFGHIJ0123456789";
    WriteDevices(kFourDevices);
    WriteConfig("[Network]\r\nBroadcastAddress=127.255.255.255\r\nPort=12ab\r\nApplicationId=\r\n"
                "[RemoteCmd]\r\nDestination=RIG\r\n"
                "[Keyboards]\r\nTextCmd=" +
                twenty + "\r\nMainIndex=300\r\nUseAux=yes\r\n[Mouses]\r\nTextCmd=\r\nUseAux=0\r\n");
    const auto before = ConfigText();
    Launch();
    ASSERT_TRUE(OpenSettings());
    EXPECT_EQ(ControlText(Main(), IDC_BROADCAST_ADDRESS), "127.255.255.255");
    EXPECT_EQ(ControlText(Main(), IDC_PORT), "12");
    EXPECT_EQ(ControlText(Main(), IDC_APPLICATION_ID), "") << "an empty ApplicationId stays empty";
    EXPECT_EQ(ControlText(Main(), IDC_DESTINATION), "RIG");
    EXPECT_EQ(ControlText(Main(), IDC_KEYB_TEXTCMD), twenty)
        << "a long text command from the file is shown in full";
    EXPECT_EQ(ControlText(Main(), IDC_KEYB_MAIN_INDEX), "300");
    EXPECT_EQ(ControlText(Main(), IDC_MOUSE_TEXTCMD), "");
    EXPECT_EQ(CheckState(Main(), IDC_KEYB_USE_AUX), BST_CHECKED) << "any UseAux text but \"0\" is on";
    EXPECT_EQ(CheckState(Main(), IDC_MOUSE_USE_AUX), BST_UNCHECKED);

    // Apply then stops at the first field out of bounds, in the exchange order.
    ASSERT_TRUE(Press(IDC_APPLY));
    EXPECT_TRUE(Answer("Please enter no more than 12 characters.", IDOK));
    EXPECT_EQ(ConfigText(), before);
    EXPECT_TRUE(Exit());
    EXPECT_EQ(ConfigText(), before);
}

struct Refusal {
    const char* label;
    int control;
    const char* text;
    const char* message;
    int focus;
};

class RefusedApplyTest : public SettingsTest, public testing::WithParamInterface<Refusal> {};

TEST_P(RefusedApplyTest, ShowsTheMessageWritesNothingAndFocusesTheField) {
    WriteDevices(kFourDevices);
    Launch(); // a first run: the window is up for editing, no file yet
    ASSERT_TRUE(SetControlText(Main(), IDC_BROADCAST_ADDRESS, "127.255.255.255"));
    ASSERT_TRUE(SetControlText(Main(), GetParam().control, GetParam().text));
    ASSERT_TRUE(Press(IDC_APPLY));
    EXPECT_TRUE(Answer(GetParam().message, IDOK));
    EXPECT_TRUE(FocusIs(GetParam().focus));
    EXPECT_FALSE(std::filesystem::exists(ConfigPath()));
    EXPECT_TRUE(Exit());
}

INSTANTIATE_TEST_SUITE_P(
    Fields, RefusedApplyTest,
    testing::Values(
        Refusal{"ShortAddress", IDC_BROADCAST_ADDRESS, "1.2.3", "Invalid IP address!", IDC_BROADCAST_ADDRESS},
        Refusal{"GroupAbove255", IDC_BROADCAST_ADDRESS, "127.0.256.255", "Invalid IP address!",
                IDC_BROADCAST_ADDRESS},
        Refusal{"TwoDots", IDC_BROADCAST_ADDRESS, "127..0.255", "Invalid IP address!", IDC_BROADCAST_ADDRESS},
        Refusal{"PortZero", IDC_PORT, "0", "Please enter an integer between 1 and 65535.",
                IDC_BROADCAST_ADDRESS},
        Refusal{"PortEmpty", IDC_PORT, "", "Please enter an integer.", IDC_BROADCAST_ADDRESS},
        Refusal{"IndexAbove255", IDC_KEYB_MAIN_INDEX, "256", "Please enter an integer between 0 and 255.",
                IDC_BROADCAST_ADDRESS},
        Refusal{"HyphenInTextCommand", IDC_MOUSE_TEXTCMD, "F-1",
                "The text command can only contains letters and numbers", IDC_MOUSE_TEXTCMD}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(SettingsTest, AnAddressNotEndingIn255IsAskedAboutAndNoKeepsTheFileAsItWas) {
    WriteDevices(kFourDevices);
    Launch();
    ASSERT_TRUE(SetControlText(Main(), IDC_BROADCAST_ADDRESS, "127.0.0.1"));
    ASSERT_TRUE(Press(IDC_APPLY));
    EXPECT_TRUE(Answer(
        "IP broadcast addresses normally end with 255.\nDo you confirm the usage of 127.0.0.1?", IDNO));
    EXPECT_TRUE(FocusIs(IDC_BROADCAST_ADDRESS));
    EXPECT_FALSE(std::filesystem::exists(ConfigPath()));

    ASSERT_TRUE(Press(IDC_APPLY));
    EXPECT_TRUE(Answer(
        "IP broadcast addresses normally end with 255.\nDo you confirm the usage of 127.0.0.1?", IDYES));
    EXPECT_TRUE(WaitUntil(
        [&] { return ConfigText().value_or("").find("BroadcastAddress=127.0.0.1") != std::string::npos; },
        kWait, "Yes to save the address"));
    EXPECT_TRUE(Exit());
}

TEST_F(SettingsTest, ApplyWritesAFreshFileInItsOrderAndCancelUndoesTheDefaultButtons) {
    WriteDevices(kFourDevices);
    Launch();
    ASSERT_TRUE(SetControlText(Main(), IDC_BROADCAST_ADDRESS, "127.255.255.255"));
    ASSERT_TRUE(SetControlText(Main(), IDC_PORT, "40123"));
    ASSERT_TRUE(SetControlText(Main(), IDC_DESTINATION, "RIG"));
    ASSERT_TRUE(Press(IDC_APPLY));
    ASSERT_TRUE(
        WaitUntil([&] { return ConfigText().value_or("").find("TextCmd=AUXMOUSE") != std::string::npos; },
                  kWait, "Apply to write the whole file"));
    const std::vector<std::string> expected{"[Network]",   "BroadcastAddress=127.255.255.255",
                                            "Port=40123",  "ApplicationId=REMOTE",
                                            "[RemoteCmd]", "Destination=RIG",
                                            "[Keyboards]", "UseAux=0",
                                            "MainIndex=0", "TextCmd=AUXKEYB",
                                            "[Mouses]",    "UseAux=0",
                                            "MainIndex=0", "TextCmd=AUXMOUSE"};
    EXPECT_EQ(Keys(*ConfigText(), true), expected);
    EXPECT_TRUE(IsWindowVisible(Main())) << "Apply keeps the window open";

    // Default buttons change only the controls; Cancel reads the file back into them.
    const auto saved = ConfigText();
    ASSERT_TRUE(Press(IDC_PORT_DEFAULT));
    ASSERT_TRUE(Press(IDC_BROADCAST_DEFAULT));
    ASSERT_TRUE(
        WaitUntil([&] { return ControlText(Main(), IDC_PORT) == "9871"; }, kWait, "the default port"));
    ASSERT_TRUE(Press(2));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(Main()); }, kWait, "Cancel to hide the window"));
    EXPECT_EQ(ControlText(Main(), IDC_PORT), "40123");
    EXPECT_EQ(ControlText(Main(), IDC_BROADCAST_ADDRESS), "127.255.255.255");
    EXPECT_TRUE(Exit());
    EXPECT_EQ(ConfigText(), saved);
}

TEST_F(SettingsTest, ApplyMovesTheLinkToTheNewPortAndKeepsTheDevices) {
    UdpReceiver first, second;
    WriteDevices(kFourDevices);
    WriteAuxConfig(first.Port());
    Launch();
    ASSERT_TRUE(WaitForFilters(true));
    ASSERT_TRUE(Inject("key 3 0x47 0\n"));
    ASSERT_EQ(first.Receive(kWait), KeypadSevenLine(5));

    ASSERT_TRUE(OpenSettings());
    ASSERT_TRUE(SetControlText(Main(), IDC_PORT, std::to_string(second.Port())));
    ASSERT_TRUE(Press(IDC_APPLY));
    ASSERT_TRUE(WaitUntil(
        [&] {
            return ConfigText().value_or("").find("Port=" + std::to_string(second.Port())) !=
                   std::string::npos;
        },
        kWait, "Apply to write the new port"));
    ASSERT_TRUE(WaitForFilters(true));
    ASSERT_TRUE(Inject("key 3 0x47 0\n"));
    EXPECT_EQ(second.Receive(kWait), KeypadSevenLine(5));
    EXPECT_EQ(first.Receive(kQuiet), std::nullopt) << "the old port hears nothing more";

    const auto keys = Keys(*ConfigText(), true);
    for (const char* line : {"Device1=3", "HarwareId1=HID\\VID_046D&PID_C31C", "Index1=5", "Device1=12",
                             "HarwareId1=HID\\VID_1234&PID_5678", "Index1=7"}) {
        EXPECT_NE(std::find(keys.begin(), keys.end(), line), keys.end()) << line;
    }
    EXPECT_TRUE(Exit());
}

TEST_F(SettingsTest, AnAddressWithLeadingZerosIsKeptAsTypedAndTheLinkUsesIt) {
    UdpReceiver receiver;
    WriteDevices(kFourDevices);
    WriteAuxConfig(receiver.Port());
    Launch();
    ASSERT_TRUE(OpenSettings());
    ASSERT_TRUE(SetControlText(Main(), IDC_BROADCAST_ADDRESS, "127.000.000.001"));
    ASSERT_TRUE(Press(IDC_APPLY));
    ASSERT_TRUE(Answer("IP broadcast addresses normally end with 255.\nDo you confirm the usage of "
                       "127.000.000.001?",
                       IDYES));
    ASSERT_TRUE(WaitUntil(
        [&] {
            return ConfigText().value_or("").find("BroadcastAddress=127.000.000.001\r\n") !=
                   std::string::npos;
        },
        kWait, "the address saved as typed"));
    ASSERT_TRUE(WaitForFilters(true));
    // Apply closed the old link: a line arrives only through the reopened one.
    ASSERT_TRUE(Inject("key 3 0x47 0\n"));
    EXPECT_EQ(receiver.Receive(kWait).value_or("(nothing)"), KeypadSevenLine(5));
    EXPECT_EQ(FindMessageBox(Pid()), nullptr) << "no link failure reported";
    EXPECT_TRUE(Exit());
}

TEST_F(SettingsTest, AFailedSaveIsReportedAndTheSettingsStayInEffect) {
    UdpReceiver receiver;
    WriteDevices(kFourDevices);
    std::filesystem::create_directories(ConfigPath()); // a folder where the file should be
    Launch();
    ASSERT_TRUE(SetControlText(Main(), IDC_BROADCAST_ADDRESS, "127.255.255.255"));
    ASSERT_TRUE(SetControlText(Main(), IDC_PORT, std::to_string(receiver.Port())));
    ASSERT_TRUE(Press(IDC_APPLY));
    const std::string path = IniPath().parent_path().string() + "\\cfg\\kvRemote.ini";
    EXPECT_TRUE(Answer(
        "The settings could not be saved to " + path + ".\nThey stay in effect until kvRemote ends.", IDOK));
    EXPECT_TRUE(std::filesystem::is_directory(ConfigPath()));
    EXPECT_TRUE(Exit());
}

} // namespace
} // namespace kve2e
