// Base of the end-to-end suites of kvRemote.exe: the program runs with "-a <run folder>", so its
// configuration file is <run folder>\cfg\kvRemote.ini, on the simulated driver whose record goes to
// kvsim.log in the run folder. Helpers find its windows, answer its boxes and inject strokes.
#pragma once

#include "KvRemoteFixture.h"
#include "UdpReceiver.h"
#include "Wait.h"
#include "base/WindowMessages.h"
#include "res/resource.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kve2e {

inline constexpr std::string_view kTitle = "kvRemote";
// Ending the program on "Exit" takes a few driver waits of 50 ms; under load much more.
inline constexpr Millis kExitBound{15000};
// How long to listen for a datagram that must not come.
inline constexpr Millis kQuiet{1500};

// Two keyboards and two mice; devices 3 and 12 are the auxiliary ones in kAuxConfig.
inline constexpr std::string_view kFourDevices = "1 HID\\VID_0001&PID_0001\n"
                                                 "3 HID\\VID_046D&PID_C31C\n"
                                                 "11 HID\\VID_0002&PID_0002\n"
                                                 "12 HID\\VID_1234&PID_5678\n";

// The REMOTE line a keypad-7 press (scan 0x47) on an auxiliary keyboard of that index gives with
// default settings.
std::string KeypadSevenLine(int index);

class ProgramTest : public KvRemoteFixture {
protected:
    void SetUp() override;

    std::filesystem::path ConfigPath() const; // <run folder>\cfg\kvRemote.ini
    void WriteConfig(std::string_view text);
    std::optional<std::string> ConfigText() const;
    // kvRemote.ini with the loopback broadcast address, port, the auxiliary keyboard 3 (index 5)
    // and mouse 12 (index 7), both in use; `extra` is appended as it is.
    void WriteAuxConfig(uint16_t port, std::string_view extra = {});

    // Starts the program on the run folder (plus args), closes the start-up About box and finds
    // the main window. Fatal failures when it does not come up.
    void Launch(const std::vector<std::string>& args = {});
    HWND Main() const { return main_; }
    DWORD Pid() { return Program().Pid(); }

    // Posts "Exit" and waits for the process to end.
    testing::AssertionResult Exit();
    // Posts "Settings..." and waits until the window shows.
    testing::AssertionResult OpenSettings();
    testing::AssertionResult Press(int id); // a button of the settings window
    // Waits for a box of the program, checks its text and answers it with button.
    testing::AssertionResult Answer(std::string_view text, int button);
    testing::AssertionResult FocusIs(int id);

    // The simulated driver: injection commands (one a line) and its record.
    testing::AssertionResult Inject(std::string_view commands);
    std::vector<std::string> Record();
    testing::AssertionResult WaitForRecord(std::string_view line, Millis timeout = kWait);
    // The mask each device number 1-20 has now, replayed from the record's filter, plug and unplug
    // lines (index 0 unused).
    std::array<int, 21> Filters();
    // Waits until some keyboard and some mouse are held (on), or no device is (off).
    testing::AssertionResult WaitForFilters(bool on, Millis timeout = kWait);
    // Waits until every number from first to last has the mask.
    testing::AssertionResult WaitForHeld(int first, int last, int mask, Millis timeout = kWait);
    // The next datagram on receiver is the REMOTE line of command, with the default application ID
    // and no destination.
    static testing::AssertionResult ReceivesCommand(UdpReceiver& receiver, const std::string& command);
    // The record's lines that start with prefix, in order.
    std::vector<std::string> RecordLines(std::string_view prefix);

private:
    HWND FindMain();
    void CloseAboutBox();

    HWND main_ = nullptr;
};

} // namespace kve2e
