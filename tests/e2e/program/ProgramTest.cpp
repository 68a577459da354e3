#include "ProgramTest.h"

#include "Controls.h"
#include "FileText.h"
#include "MessageBoxes.h"
#include "UdpReceiver.h"
#include "WindowFind.h"

#include <cstdlib>
#include <sstream>

namespace kve2e {

std::string KeypadSevenLine(int index) {
    return "REMOTE: \"REMOTE\" \"\" \"AUXKEYB/103/0/" + std::to_string(index) + "\" 1";
}

void ProgramTest::SetUp() {
    KvRemoteFixture::SetUp();
    if (IsSkipped()) {
        return;
    }
    SimLog();
    SimPort();
}

std::filesystem::path ProgramTest::ConfigPath() const {
    return IniPath().parent_path() / "cfg" / "kvRemote.ini";
}

void ProgramTest::WriteConfig(std::string_view text) {
    std::filesystem::create_directories(ConfigPath().parent_path());
    ASSERT_TRUE(WriteFileText(ConfigPath(), text));
}

std::optional<std::string> ProgramTest::ConfigText() const {
    return ReadFileText(ConfigPath());
}

void ProgramTest::WriteAuxConfig(uint16_t port, std::string_view extra) {
    std::string text =
        "[Network]\r\nBroadcastAddress=127.255.255.255\r\nPort=" + std::to_string(port) +
        "\r\n"
        "[Keyboards]\r\nDevice1=3\r\nHarwareId1=HID\\VID_046D&PID_C31C\r\nIndex1=5\r\nUseAux=1\r\n"
        "[Mouses]\r\nDevice1=12\r\nHarwareId1=HID\\VID_1234&PID_5678\r\nIndex1=7\r\nUseAux=1\r\n";
    text += extra;
    WriteConfig(text);
}

HWND ProgramTest::FindMain() {
    // Message boxes carry the same caption; the title changes while commands flash in it, so
    // the window is found once, early, and kept.
    for (HWND w : TopLevelWindows(Pid())) {
        if (ClassName(w) == "#32770" && !IsMessageBox(w) && WindowText(w) == kTitle) {
            return w;
        }
    }
    return nullptr;
}

void ProgramTest::CloseAboutBox() {
    // The start-up About box: the program's untitled dialog. It closes on a click, or by itself
    // after five seconds, so not seeing it at all (a slow poll) is no failure.
    HWND about = nullptr;
    const auto seen = WaitUntil(
        [&] {
            for (HWND w : TopLevelWindows(Pid())) {
                if (w != main_ && IsWindowVisible(w) && ClassName(w) == "#32770" && !IsMessageBox(w) &&
                    WindowText(w).empty()) {
                    about = w;
                    return true;
                }
            }
            return !Program().IsRunning();
        },
        Millis(8000), "the start-up About box");
    if (!seen || about == nullptr) {
        return;
    }
    PostMsg(about, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    PostMsg(about, WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about) || !IsWindowVisible(about); }, kWait,
                          "the About box to close on a click"));
}

void ProgramTest::Launch(const std::vector<std::string>& args) {
    std::vector<std::string> all{"-a", IniPath().parent_path().string()};
    all.insert(all.end(), args.begin(), args.end());
    Start(all);
    ASSERT_TRUE(WaitUntil([&] { return (main_ = FindMain()) != nullptr || !Program().IsRunning(); }, kWait,
                          "the main window \"kvRemote\""));
    ASSERT_NE(main_, nullptr) << "the program ended, exit code " << Program().ExitCode().value_or(0);
    CloseAboutBox();
}

testing::AssertionResult ProgramTest::Exit() {
    if (auto posted = PostCommand(main_, ID_TRAY_EXIT); !posted) {
        return posted;
    }
    return Program().WaitForExit(kExitBound);
}

testing::AssertionResult ProgramTest::OpenSettings() {
    if (auto posted = PostCommand(main_, ID_TRAY_SETTINGS); !posted) {
        return posted;
    }
    return WaitUntil(
        [&] { return IsWindowVisible(main_) && IsWindowEnabled(Control(main_, IDC_BROADCAST_ADDRESS)); },
        kWait, "the settings window to show for editing");
}

testing::AssertionResult ProgramTest::Press(int id) {
    return PressButton(main_, id);
}

testing::AssertionResult ProgramTest::Answer(std::string_view text, int button) {
    HWND box = nullptr;
    if (auto found = WaitForMessageBox(Pid(), box, kTitle); !found) {
        return found;
    }
    const std::string shown = MessageBoxText(box);
    if (shown != text) {
        PressMessageBoxButton(box, button);
        return testing::AssertionFailure() << "the box says \"" << shown << "\", expected \"" << text << "\"";
    }
    if (auto pressed = PressMessageBoxButton(box, button); !pressed) {
        return pressed;
    }
    return WaitUntil([&] { return !IsWindow(box); }, kWait, "the box to close");
}

testing::AssertionResult ProgramTest::FocusIs(int id) {
    return WaitUntil([&] { return FocusedControlId(main_) == id; }, kWait,
                     "the focus on control " + std::to_string(id) + " (it is on " +
                         std::to_string(FocusedControlId(main_)) + ")");
}

testing::AssertionResult ProgramTest::Inject(std::string_view commands) {
    return SendLoopback(SimPort(), commands);
}

std::vector<std::string> ProgramTest::Record() {
    std::vector<std::string> lines;
    std::istringstream in(ReadFileText(SimLog()).value_or(""));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> ProgramTest::RecordLines(std::string_view prefix) {
    std::vector<std::string> found;
    for (auto& line : Record()) {
        if (line.starts_with(prefix)) {
            found.push_back(line);
        }
    }
    return found;
}

testing::AssertionResult ProgramTest::WaitForRecord(std::string_view line, Millis timeout) {
    return WaitUntil(
        [&] {
            for (const auto& l : Record()) {
                if (l == line) {
                    return true;
                }
            }
            return false;
        },
        timeout, "the driver record line \"" + std::string(line) + "\"");
}

testing::AssertionResult ProgramTest::ReceivesCommand(UdpReceiver& receiver, const std::string& command) {
    const std::string line = "REMOTE: \"REMOTE\" \"\" \"" + command + "\" 1";
    const auto got = receiver.Receive(kWait);
    if (!got)
        return testing::AssertionFailure() << "no datagram, expected " << line;
    if (*got != line)
        return testing::AssertionFailure() << "received \"" << *got << "\", expected \"" << line << "\"";
    return testing::AssertionSuccess();
}

std::array<int, 21> ProgramTest::Filters() {
    std::array<int, 21> filters{};
    for (const auto& line : Record()) {
        std::istringstream in(line);
        std::string verb, what;
        in >> verb >> what;
        if (verb == "quiet")
            verb = what, in >> what;
        if (verb == "plug" || verb == "unplug") {
            const int device = std::atoi(what.c_str());
            if (device >= 1 && device <= 20)
                filters[device] = 0;
            continue;
        }
        if (verb != "filter")
            continue;
        std::vector<std::string> words;
        for (std::string word; in >> word;)
            if (word != "unchanged")
                words.push_back(word);
        if (words.empty())
            continue;
        const int mask = std::atoi(words.back().c_str());
        words.pop_back();
        if (what == "keyboards" || what == "mice") {
            const int first = what == "keyboards" ? 1 : 11;
            for (int d = first; d < first + 10; ++d)
                filters[d] = mask;
        } else if (what == "devices") {
            for (const std::string& word : words)
                if (const int d = std::atoi(word.c_str()); d >= 1 && d <= 20)
                    filters[d] = mask;
        }
    }
    return filters;
}

testing::AssertionResult ProgramTest::WaitForFilters(bool on, Millis timeout) {
    std::array<int, 21> filters{};
    const auto latest = [&] {
        filters = Filters();
        bool keyboards = false, mice = false;
        for (int d = 1; d <= 20; ++d)
            (d <= 10 ? keyboards : mice) |= filters[d] != 0;
        return on ? keyboards && mice : !keyboards && !mice;
    };
    auto result = WaitUntil(latest, timeout, std::string("driver filters ") + (on ? "on" : "off"));
    if (!result) {
        result << " (filters";
        for (int d = 1; d <= 20; ++d)
            result << ' ' << filters[d];
        result << ")";
    }
    return result;
}

testing::AssertionResult ProgramTest::WaitForHeld(int first, int last, int mask, Millis timeout) {
    return WaitUntil(
        [&] {
            const std::array<int, 21> filters = Filters();
            for (int d = first; d <= last; ++d)
                if (filters[d] != mask)
                    return false;
            return true;
        },
        timeout,
        "devices " + std::to_string(first) + "-" + std::to_string(last) + " held with " +
            std::to_string(mask));
}

} // namespace kve2e
