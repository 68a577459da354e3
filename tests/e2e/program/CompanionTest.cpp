// Keypads and mice as Companion surfaces, as a Companion user sees them: a Satellite server stand-in
// runs in this process on 127.0.0.1 and records what kvRemote tells it, while the REMOTE lines go on
// as before.
#include "ProgramTest.h"

#include "Controls.h"
#include "SatelliteStandIn.h"
#include "UdpReceiver.h"
#include "WindowFind.h"

#include <algorithm>
#include <functional>

namespace kve2e {
namespace {

const std::string kKeypad = "kvremote:Stage1-keyboard-5";
const std::string kMouse = "kvremote:Stage1-mouse-7";

std::string Pressed(const std::string& id, int button, bool down) {
    return "press " + id + " " + std::to_string(button) + (down ? " 1" : " 0");
}

class CompanionTest : public ProgramTest {
protected:
    // The auxiliary keyboard (index 5) and mouse (index 7), station Stage1, Companion at port.
    void WriteCompanionConfig(std::uint16_t port) {
        WriteDevices(kFourDevices);
        WriteAuxConfig(receiver_.Port(),
                       "[Connections]\r\nStation=Stage1\r\n[Companion]\r\nHost=127.0.0.1\r\nPort=" +
                           std::to_string(port) + "\r\n");
    }

    // Waits until the stand-in holds exactly these surfaces (of connection, 0: any).
    static testing::AssertionResult HasSurfaces(SatelliteStandIn& standIn, std::vector<std::string> ids,
                                                int connection = 0) {
        std::sort(ids.begin(), ids.end());
        std::vector<std::string> now;
        if (SatelliteStandIn::WaitFor(
                [&] {
                    now = standIn.Devices(connection);
                    std::sort(now.begin(), now.end());
                    return now == ids;
                },
                kWaitMs))
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << now.size() << " surfaces";
    }

    // The stand-in's button actions from the first'th on, once there are count of them.
    static std::vector<std::string> Actions(SatelliteStandIn& standIn, std::size_t first, std::size_t count) {
        SatelliteStandIn::WaitFor([&] { return standIn.Actions().size() >= first + count; }, kWaitMs);
        const std::vector<std::string> all = standIn.Actions();
        return std::vector<std::string>(
            all.begin() + static_cast<std::ptrdiff_t>(std::min(first, all.size())), all.end());
    }

    // Opens the Connections dialog from the tray and waits until its Companion status line holds.
    testing::AssertionResult StatusLine(const std::function<bool(const std::string&)>& holds, HWND& dialog) {
        if (auto shown = PostCommand(Main(), ID_TRAY_CONNECTIONS);
            !shown || !(shown = WaitForWindow(Pid(), "Connections", dialog)))
            return shown;
        return WaitUntil([&] { return holds(ControlText(dialog, IDC_COMPANION_STATUS).value_or("")); }, kWait,
                         "the Companion status line");
    }

    static constexpr int kWaitMs = static_cast<int>(kWait.count());
    SocketSession sockets_;
    UdpReceiver receiver_;
};

TEST_F(CompanionTest, DevicesAreSurfacesThatFollowPlugsPressOnceAndComeBackAfterARestartWithNothingReplayed) {
    SatelliteStandIn standIn;
    ASSERT_TRUE(standIn.Start());
    WriteCompanionConfig(standIn.Port());
    Launch();
    ASSERT_TRUE(WaitForFilters(true));
    ASSERT_TRUE(HasSurfaces(standIn, {kKeypad, kMouse}));

    // Keypad 7 (button 5 of the keypad layout), held through a repeat: one press, one release. The
    // REMOTE line goes out as before.
    ASSERT_TRUE(Inject("key 3 0x47 0\nkey 3 0x47 0\nkey 3 0x47 1\n"));
    EXPECT_EQ(receiver_.Receive(kWait), KeypadSevenLine(5));
    // The left button, then a notch of the wheel on the encoder (button 3).
    ASSERT_TRUE(Inject("mouse 12 1 0\nmouse 12 2 0\nmouse 12 1024 120\n"));
    EXPECT_EQ(Actions(standIn, 0, 5),
              (std::vector<std::string>{Pressed(kKeypad, 5, true), Pressed(kKeypad, 5, false),
                                        Pressed(kMouse, 0, true), Pressed(kMouse, 0, false),
                                        "rotate " + kMouse + " 3 1"}));

    // The keypad unplugged with keypad 8 held: the button is let go before the surface goes (Companion
    // would keep it pressed), and plugged back in, the keypad brings its surface back.
    ASSERT_TRUE(Inject("key 3 0x48 0\n"));
    ASSERT_EQ(Actions(standIn, 5, 1), std::vector<std::string>{Pressed(kKeypad, 6, true)});
    ASSERT_TRUE(Inject("unplug 3\n"));
    EXPECT_TRUE(HasSurfaces(standIn, {kMouse}));
    const std::vector<StandInLine> unplugged = standIn.Lines();
    const auto at = [&](const std::string& line) {
        return std::find_if(unplugged.begin(), unplugged.end(),
                            [&](const StandInLine& l) { return l.line == line; });
    };
    const auto release = at("KEY-PRESS DEVICEID=" + kKeypad + " KEY=6 PRESSED=false");
    EXPECT_TRUE(release != unplugged.end() && release < at("REMOVE-DEVICE DEVICEID=" + kKeypad));
    ASSERT_TRUE(Inject("plug 3 HID\\VID_046D&PID_C31C\n"));
    EXPECT_TRUE(HasSurfaces(standIn, {kKeypad, kMouse}));

    // Error answers, lines it does not know, garbage and a line over 64 KiB change nothing else.
    standIn.SendToAll(
        "ERROR MESSAGE=\"Unknown command: FROB\"\nKEY-PRESS ERROR DEVICEID=\"x\" MESSAGE=\"Device "
        "not found\"\n\x01\x7f=\"\"\" ==\nKEYS-CLEAR\nKEY-STATE DEVICEID=\"" +
        kKeypad + "\" KEY=4 COLOR=#ff0000\n" + std::string(70000, 'x') + "\nBEGIN ApiVersion=0.0.1\n");
    ASSERT_TRUE(Inject("key 3 0x48 0\nkey 3 0x48 1\n")); // keypad 8: button 6
    EXPECT_EQ(Actions(standIn, 7, 2),
              (std::vector<std::string>{Pressed(kKeypad, 6, true), Pressed(kKeypad, 6, false)}));
    EXPECT_EQ(standIn.Accepted(), 1) << "still the first connection";
    EXPECT_TRUE(HasSurfaces(standIn, {kKeypad, kMouse}));
    HWND dialog = nullptr;
    ASSERT_TRUE(StatusLine(
        [&](const std::string& line) {
            return line.rfind("connected to 127.0.0.1:" + std::to_string(standIn.Port()), 0) == 0;
        },
        dialog));
    ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    ASSERT_TRUE(WaitForWindowGone(Pid(), "Connections"));

    // Companion restarted while keypad 9 is down; what happens meanwhile is not sent later, and the
    // release of a press from before goes nowhere.
    ASSERT_TRUE(Inject("key 3 0x49 0\n"));
    ASSERT_EQ(Actions(standIn, 9, 1), std::vector<std::string>{Pressed(kKeypad, 7, true)});
    const std::uint16_t port = standIn.Port();
    standIn.Stop();
    receiver_.Drain();
    ASSERT_TRUE(Inject("key 3 0x49 1\nkey 3 0x4F 0\nkey 3 0x4F 1\n"));
    ASSERT_TRUE(receiver_.Receive(kWait).has_value()) << "the REMOTE lines go on";
    ASSERT_TRUE(standIn.Start(port));
    ASSERT_TRUE(HasSurfaces(standIn, {kKeypad, kMouse}, 2)) << "added again on the new connection";
    ASSERT_TRUE(Inject("key 3 0x50 0\nkey 3 0x50 1\n")); // keypad 2: button 16
    EXPECT_EQ(Actions(standIn, 10, 2),
              (std::vector<std::string>{Pressed(kKeypad, 16, true), Pressed(kKeypad, 16, false)}));

    // Exit takes the surfaces away and says goodbye.
    EXPECT_TRUE(Exit());
    std::vector<std::string> goodbye;
    SatelliteStandIn::WaitFor(
        [&] {
            goodbye.clear();
            for (const StandInLine& line : standIn.Lines())
                if (line.connection == 2 && (line.line.starts_with("REMOVE-DEVICE") || line.line == "QUIT"))
                    goodbye.push_back(line.line);
            std::sort(goodbye.begin(), goodbye.end());
            return goodbye.size() >= 3;
        },
        5000);
    EXPECT_EQ(goodbye, (std::vector<std::string>{"QUIT", "REMOVE-DEVICE DEVICEID=" + kKeypad,
                                                 "REMOVE-DEVICE DEVICEID=" + kMouse}));
}

TEST_F(CompanionTest, ASurfaceWithoutAnAnswerIsAskedForAgainAndPressesCountOnceItIsAdded) {
    StandInOptions options;
    options.silentFirstAdd = true;
    SatelliteStandIn standIn(options);
    ASSERT_TRUE(standIn.Start());
    WriteCompanionConfig(standIn.Port());
    Launch();
    ASSERT_TRUE(WaitForFilters(true));
    // Keyboards come first: the keypad's ADD-DEVICE is the one not answered.
    ASSERT_TRUE(HasSurfaces(standIn, {kMouse}));
    ASSERT_TRUE(Inject("key 3 0x47 0\nkey 3 0x47 1\n"));
    EXPECT_EQ(receiver_.Receive(kWait), KeypadSevenLine(5));
    const bool stillPending = standIn.Devices() == std::vector<std::string>{kMouse};

    ASSERT_TRUE(HasSurfaces(standIn, {kKeypad, kMouse}));
    const std::vector<StandInLine> lines = standIn.Lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const StandInLine& l) {
                                return l.line.rfind("ADD-DEVICE DEVICEID=" + kKeypad + " ", 0) == 0;
                            }),
              2);
    if (stillPending) {
        EXPECT_TRUE(standIn.Actions().empty()) << "a press for a surface not yet added is dropped";
    }
    const std::size_t before = standIn.Actions().size();
    ASSERT_TRUE(Inject("key 3 0x47 0\nkey 3 0x47 1\n"));
    EXPECT_EQ(Actions(standIn, before, 2),
              (std::vector<std::string>{Pressed(kKeypad, 5, true), Pressed(kKeypad, 5, false)}));
    EXPECT_TRUE(Exit());
}

TEST_F(CompanionTest, UnderThePinLockTheKeypadTypesThePinAndPressesNothingUntilUnlocked) {
    StandInOptions options;
    options.pin = "1357";
    SatelliteStandIn standIn(options);
    ASSERT_TRUE(standIn.Start());
    WriteCompanionConfig(standIn.Port());
    Launch();
    ASSERT_TRUE(WaitForFilters(true));
    ASSERT_TRUE(HasSurfaces(standIn, {kKeypad, kMouse}));
    HWND dialog = nullptr;
    const std::string locked = "locked by Companion's PIN: type the PIN on keypad 5 (";
    const auto shows = [&](const std::string& text, bool shown = true) {
        return WaitUntil(
            [&] {
                return (ControlText(dialog, IDC_COMPANION_STATUS).value_or("").find(text) !=
                        std::string::npos) == shown;
            },
            kWait, text);
    };
    ASSERT_TRUE(StatusLine([](const std::string&) { return true; }, dialog));
    EXPECT_TRUE(shows(locked + "0 digits typed) to unlock"));

    // Keypad + and a click press nothing; 1 and 3 are counted, 5 and 7 unlock, and the REMOTE lines go on.
    ASSERT_TRUE(Inject("key 3 0x4E 0\nkey 3 0x4E 1\nmouse 12 1 0\nmouse 12 2 0\nkey 3 0x4F 0\nkey 3 0x4F 1\n"
                       "key 3 0x51 0\nkey 3 0x51 1\n"));
    EXPECT_TRUE(receiver_.Receive(kWait).has_value());
    EXPECT_TRUE(shows(locked + "2 digits typed)"));
    ASSERT_TRUE(Inject("key 3 0x4C 0\nkey 3 0x4C 1\nkey 3 0x47 0\nkey 3 0x47 1\n"));
    EXPECT_TRUE(shows(locked, false));
    ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    ASSERT_TRUE(WaitForWindowGone(Pid(), "Connections"));

    // Unlocked, keypad 7 presses its button.
    ASSERT_TRUE(Inject("key 3 0x47 0\nkey 3 0x47 1\n"));
    EXPECT_EQ(Actions(standIn, 0, 3),
              (std::vector<std::string>{"unlocked " + kKeypad, Pressed(kKeypad, 5, true),
                                        Pressed(kKeypad, 5, false)}));
    EXPECT_TRUE(Exit());
}

TEST_F(CompanionTest, AnUnreachableHostIsSaidInTheStatusLineAndTheGroupSetsCompanionUp) {
    std::uint16_t refusing = 0;
    {
        SatelliteStandIn gone;
        ASSERT_TRUE(gone.Start());
        refusing = gone.Port();
    }
    WriteCompanionConfig(refusing);
    Launch();
    ASSERT_TRUE(WaitForFilters(true));
    ASSERT_TRUE(Inject("key 3 0x47 0\nkey 3 0x47 1\n"));
    EXPECT_EQ(receiver_.Receive(kWait), KeypadSevenLine(5)) << "the REMOTE lines go out meanwhile";

    HWND dialog = nullptr;
    const std::string where = "cannot reach 127.0.0.1:" + std::to_string(refusing) + " (";
    ASSERT_TRUE(StatusLine(
        [&](const std::string& line) {
            return line.rfind(where, 0) == 0 && line.size() > where.size() + 14 &&
                   line.ends_with("), retrying");
        },
        dialog));
    EXPECT_EQ(ControlText(dialog, IDC_COMPANION_HOST), "127.0.0.1");

    // A host that is no host is refused, and nothing is saved.
    const auto saved = ConfigText();
    ASSERT_TRUE(SetControlText(dialog, IDC_COMPANION_HOST, "stage pc!"));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    EXPECT_TRUE(
        Answer("The Companion host must be an IPv4 address or a host name: letters, digits, hyphens and "
               "dots, at most 253 characters. Leave it empty to turn Companion off.",
               IDOK));
    EXPECT_EQ(FocusedControlId(dialog), IDC_COMPANION_HOST);
    EXPECT_EQ(ConfigText(), saved);

    // A web server's port instead: named as such, and retried.
    StandInOptions webServer;
    webServer.webServer = true;
    SatelliteStandIn web(webServer);
    ASSERT_TRUE(web.Start());
    ASSERT_TRUE(SetControlText(dialog, IDC_COMPANION_HOST, "127.0.0.1"));
    ASSERT_TRUE(SetControlText(dialog, IDC_COMPANION_PORT, std::to_string(web.Port())));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_TRUE(WaitForWindowGone(Pid(), "Connections"));
    ASSERT_TRUE(StatusLine(
        [&](const std::string& line) {
            return line == "cannot reach 127.0.0.1:" + std::to_string(web.Port()) +
                               " (not a Satellite port), retrying";
        },
        dialog));

    // Companion's real port, set in the group, is saved and used at once.
    SatelliteStandIn standIn;
    ASSERT_TRUE(standIn.Start());
    ASSERT_TRUE(SetControlText(dialog, IDC_COMPANION_HOST, "127.0.0.1"));
    ASSERT_TRUE(SetControlText(dialog, IDC_COMPANION_PORT, std::to_string(standIn.Port())));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_TRUE(WaitForWindowGone(Pid(), "Connections"));
    EXPECT_NE(ConfigText().value_or("").find(
                  "[Companion]\r\nHost=127.0.0.1\r\nPort=" + std::to_string(standIn.Port()) +
                  "\r\nKeyboardLayout=keypad\r\n"),
              std::string::npos)
        << ConfigText().value_or("");
    EXPECT_TRUE(HasSurfaces(standIn, {kKeypad, kMouse}));
    EXPECT_TRUE(Exit());
}

} // namespace
} // namespace kve2e
