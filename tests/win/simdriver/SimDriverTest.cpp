// The simulated interception.dll through the program's driver table: filters, the held-stroke queue, the
// record of what reached the system or was re-injected, hardware ids and failures on command.
#include "SimDriverFixture.h"
#include "capture/DeviceClass.h"

#include <gmock/gmock.h>

#include <windows.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const char* const kDevices = "# two keyboards and a mouse\n"
                             "1 HID\\VID_0001&PID_0001\n"
                             "3 HID\\VID_046D&PID_C31C\r\n"
                             "\n"
                             "12 HID\\VID_1234&PID_5678\n";

std::u16string Utf16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

} // namespace

TEST_F(SimDriverTest, NoContextWhenTheDriverIsDescribedAbsent) {
    Open(kDevices);
    // one context at a time
    EXPECT_EQ(api.create_context(), nullptr);
    Close();
    WriteDevices("# not installed\nabsent\n");
    EXPECT_EQ(api.create_context(), nullptr);
}

TEST_F(SimDriverTest, HardwareIdsComeBackAsZeroTerminatedUtf16) {
    Open(kDevices);
    const std::u16string id = Utf16("HID\\VID_046D&PID_C31C");
    const unsigned int needed = static_cast<unsigned int>((id.size() + 1) * 2);
    char16_t buffer[500];
    std::memset(buffer, 0xAB, sizeof buffer);
    ASSERT_EQ(api.get_hardware_id(context, 3, buffer, sizeof buffer), needed);
    EXPECT_EQ(std::u16string(buffer), id);
    EXPECT_EQ(api.get_hardware_id(context, 12, buffer, needed),
              2 * (Utf16("HID\\VID_1234&PID_5678").size() + 1));

    // no device, no room for the terminating zero, or no context: nothing written
    std::memset(buffer, 0xAB, sizeof buffer);
    EXPECT_EQ(api.get_hardware_id(context, 2, buffer, sizeof buffer), 0u);
    EXPECT_EQ(api.get_hardware_id(context, 0, buffer, sizeof buffer), 0u);
    EXPECT_EQ(api.get_hardware_id(context, 21, buffer, sizeof buffer), 0u);
    EXPECT_EQ(api.get_hardware_id(context, 3, buffer, needed - 1), 0u);
    EXPECT_EQ(api.get_hardware_id(nullptr, 3, buffer, sizeof buffer), 0u);
    EXPECT_EQ(buffer[0], 0xABAB);
}

// Each row: the filter set on one class, the injected stroke, and whether the driver holds it.
TEST_F(SimDriverTest, FiltersHoldOrPassByClassAndKind) {
    struct Row {
        DriverPredicate predicate;
        unsigned short filter;
        const char* stroke;
        bool held;
    };
    const Row rows[] = {
        // the program's mouse filter holds single buttons 1-3, the wheel and moves
        {api.is_mouse, kMouseFilterCaptured, "mouse 12 1 0", true},
        {api.is_mouse, kMouseFilterCaptured, "mouse 12 2 0", true},
        {api.is_mouse, kMouseFilterCaptured, "mouse 12 4 0", true},
        {api.is_mouse, kMouseFilterCaptured, "mouse 12 8 0", true},
        {api.is_mouse, kMouseFilterCaptured, "mouse 12 16 0", true},
        {api.is_mouse, kMouseFilterCaptured, "mouse 12 32 0", true},
        {api.is_mouse, kMouseFilterCaptured, "mouse 12 1024 -120", true},
        {api.is_mouse, kMouseFilterCaptured, "move 12", true},
        {api.is_mouse, kMouseFilterCaptured, "mouse 12 5 0", true},
        // ... but not buttons 4 and 5 or the horizontal wheel
        {api.is_mouse, kMouseFilterCaptured, "mouse 12 64 0", false},
        {api.is_mouse, kMouseFilterCaptured, "mouse 12 128 0", false},
        {api.is_mouse, kMouseFilterCaptured, "mouse 12 256 0", false},
        {api.is_mouse, kMouseFilterCaptured, "mouse 12 512 0", false},
        {api.is_mouse, kMouseFilterCaptured, "mouse 12 2048 120", false},
        // a single kind: moves only
        {api.is_mouse, 0x1000, "move 12", true},
        {api.is_mouse, 0x1000, "mouse 12 1 0", false},
        // a mouse filter leaves keyboards alone, and the reverse
        {api.is_mouse, kMouseFilterCaptured, "key 3 0x47 0", false},
        {api.is_keyboard, kKeyboardFilterAll, "mouse 12 1 0", false},
        // keyboard states 0-5 under the program's keyboard filter
        {api.is_keyboard, kKeyboardFilterAll, "key 3 0x47 0", true},
        {api.is_keyboard, kKeyboardFilterAll, "key 3 0x47 1", true},
        {api.is_keyboard, kKeyboardFilterAll, "key 3 0x47 2", true},
        {api.is_keyboard, kKeyboardFilterAll, "key 3 0x47 3", true},
        {api.is_keyboard, kKeyboardFilterAll, "key 3 0x1D 4", true},
        {api.is_keyboard, kKeyboardFilterAll, "key 3 0x1D 5", true},
        // single kinds: presses, releases, E0 keys
        {api.is_keyboard, 1, "key 3 0x47 0", true},
        {api.is_keyboard, 1, "key 3 0x47 1", false},
        {api.is_keyboard, 2, "key 3 0x47 1", true},
        {api.is_keyboard, 2, "key 3 0x47 0", false},
        {api.is_keyboard, 4, "key 3 0x47 2", true},
        {api.is_keyboard, 4, "key 3 0x47 0", false},
        {api.is_keyboard, 8, "key 3 0x1D 4", true},
        // a filter of 0 captures nothing
        {api.is_keyboard, 0, "key 3 0x47 0", false},
        {api.is_mouse, 0, "mouse 12 1 0", false},
    };
    Open(kDevices);
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.stroke) + " filter " + std::to_string(row.filter));
        api.set_filter(context, api.is_keyboard, 0);
        api.set_filter(context, api.is_mouse, 0);
        api.set_filter(context, row.predicate, row.filter);
        Inject("reset-log");
        Inject(row.stroke);
        const std::vector<std::string> record = Record();
        if (row.held) {
            EXPECT_THAT(record, IsEmpty());
            const int device = api.wait_with_timeout(context, 0);
            EXPECT_TRUE(device == 3 || device == 12) << device;
            Stroke stroke{};
            EXPECT_EQ(api.receive(context, device, &stroke, 1), 1);
        } else {
            EXPECT_THAT(record, ElementsAre(std::string("system ") + (std::strncmp(row.stroke, "move", 4) == 0
                                                                          ? "mouse 12 0 0"
                                                                          : row.stroke)));
            EXPECT_EQ(api.wait_with_timeout(context, 0), 0);
        }
    }
}

TEST_F(SimDriverTest, WaitReportsTheOldestHeldStrokeAtOnceAndReceivePopsIt) {
    Open(kDevices);
    api.set_filter(context, api.is_keyboard, kKeyboardFilterAll);
    api.set_filter(context, api.is_mouse, kMouseFilterCaptured);
    Inject("mouse 12 1024 -120");
    Inject("key 3 0x47 2");
    Inject("key 1 0x1E 0");
    Record(); // all three are handled

    Stroke stroke{};
    EXPECT_EQ(api.wait_with_timeout(context, 0), 12);
    EXPECT_EQ(api.receive(context, 3, &stroke, 1), 1); // any waiting device may be read first
    EXPECT_EQ(stroke.ScanCode(), 0x47);
    EXPECT_EQ(stroke.KeyState(), 2);
    EXPECT_EQ(api.receive(context, 3, &stroke, 1), 0);
    ASSERT_EQ(api.receive(context, 12, &stroke, 1), 1);
    EXPECT_EQ(stroke.ButtonState(), 1024);
    EXPECT_EQ(stroke.WheelDelta(), -120);
    EXPECT_EQ(api.wait_with_timeout(context, 0), 1);
    EXPECT_EQ(api.receive(context, 1, &stroke, 1), 1);
    EXPECT_EQ(api.wait_with_timeout(context, 0), 0);
    EXPECT_EQ(api.receive(context, 0, &stroke, 1), 0); // after a time-out
}

TEST_F(SimDriverTest, WaitWakesWhenAStrokeArrives) {
    Open(kDevices);
    api.set_filter(context, api.is_mouse, kMouseFilterCaptured);
    std::thread injector([this] {
        Sleep(200);
        Inject("mouse 12 1 0");
    });
    const auto start = std::chrono::steady_clock::now();
    const int device = api.wait_with_timeout(context, 120000);
    const auto waited = std::chrono::steady_clock::now() - start;
    injector.join();
    EXPECT_EQ(device, 12);
    EXPECT_LT(waited, std::chrono::seconds(60)) << "the wait ran into its time-out";
}

TEST_F(SimDriverTest, ReceiveFailsOnceOnCommand) {
    Open(kDevices);
    api.set_filter(context, api.is_keyboard, kKeyboardFilterAll);
    Inject("fail");
    Inject("key 3 0x47 0");
    Record();
    Stroke stroke{};
    EXPECT_LT(api.receive(context, 3, &stroke, 1), 0);
    EXPECT_EQ(api.receive(context, 3, &stroke, 1), 1);
    EXPECT_THAT(Record(), ElementsAre("filter keyboards 15", "receive failed"));
}

// The timing summary counts what a flood must show: every held stroke given back once, in order.
TEST_F(SimDriverTest, TimingSummaryCountsReinjectionsRepeatsAndBacklog) {
    Open(kDevices);
    api.set_filter(context, api.is_mouse, kMouseFilterCaptured);
    Inject("move 12\nmove 12\nmouse 12 1 0");
    Record();
    Stroke stroke{};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(api.receive(context, 12, &stroke, 1), 1);
        EXPECT_EQ(api.send(context, 12, &stroke, 1), 1);
    }
    EXPECT_EQ(api.send(context, 12, &stroke, 1), 1); // the last stroke again: not one received
    const std::string summary = Ask("timing?");
    EXPECT_EQ(summary.rfind("held=3 sent=3 out_of_order=0 unmatched=1 backlog_max=3 median_us=", 0), 0u)
        << summary;

    Ask("reset-timing\nping?");
    EXPECT_EQ(Ask("timing?").rfind("held=0 sent=0 out_of_order=0 unmatched=0 backlog_max=0 ", 0), 0u);
}

TEST_F(SimDriverTest, RecordsFilterChangesReinjectionsAndStrokesToTheSystemInOrder) {
    Open(kDevices);
    api.set_filter(context, api.is_keyboard, kKeyboardFilterAll);
    api.set_filter(context, api.is_mouse, 0);
    Inject("mouse 12 1 0");
    Inject("key 3 0x47 0");
    Record();
    Stroke stroke{};
    ASSERT_EQ(api.wait_with_timeout(context, 0), 3);
    ASSERT_EQ(api.receive(context, 3, &stroke, 1), 1);
    EXPECT_EQ(api.send(context, 3, &stroke, 1), 1);
    api.set_filter(
        context, [](int device) { return device == 2 || device == 11 ? 1 : 0; }, 3);
    Inject("key 9 0x1E 0");  // no such device
    Inject("key 12 0x1E 0"); // a mouse number
    const std::vector<std::string> expected = {
        "filter keyboards 15",
        "filter mice 0",
        "system mouse 12 1 0",
        "send key 3 0x47 0",
        "filter devices 2 11 3",
        "error no device key 9 0x1E 0",
        "error not a keyboard: key 12 0x1E 0",
    };
    EXPECT_EQ(Record(), expected);
    Close();

    // the file holds the same lines between the context's opening and closing
    std::ifstream file(LogFilePath());
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    ASSERT_GE(lines.size(), expected.size() + 2);
    EXPECT_EQ(lines.front().rfind("open port ", 0), 0u) << lines.front();
    EXPECT_EQ(lines.back(), "close");
    EXPECT_EQ(std::vector<std::string>(lines.end() - 1 - static_cast<long>(expected.size()), lines.end() - 1),
              expected);
}

namespace {

// Runs kvsim.exe (copied beside this suite) with args; its exit code, or -1 when it did not run.
int RunKvsim(const std::string& args) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string exe(self);
    exe = exe.substr(0, exe.find_last_of('\\') + 1) + "kvsim.exe";
    std::string commandLine = "\"" + exe + "\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return -1;
    CloseHandle(pi.hThread);
    DWORD code = 0;
    if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

} // namespace

// kvsim names strokes as a user thinks of them; each name must reach the driver as the stroke it
// stands for (the port comes from KVSIM_PORT, as the fixture set it).
TEST_F(SimDriverTest, KvsimInjectsStrokesByName) {
    Open(kDevices);
    const struct {
        const char* args;
        const char* recorded;
    } rows[] = {
        {"key 3 0x47 press", "system key 3 0x47 0"},
        {"key 3 0x47 release", "system key 3 0x47 1"},
        {"key 3 0x1D press e0", "system key 3 0x1D 2"},
        {"key 3 0x1D release e1", "system key 3 0x1D 5"},
        {"button 12 left-down", "system mouse 12 1 0"},
        {"button 12 middle-up", "system mouse 12 32 0"},
        {"button 12 x2-up", "system mouse 12 512 0"},
        {"wheel 12 -120", "system mouse 12 1024 -120"},
        {"move 12", "system mouse 12 0 0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        Inject("reset-log");
        EXPECT_EQ(RunKvsim(row.args), 0);
        EXPECT_THAT(Record(), ElementsAre(row.recorded));
    }
    // A name it does not know is refused before anything is sent.
    Inject("reset-log");
    EXPECT_EQ(RunKvsim("button 12 left-click"), 2);
    EXPECT_EQ(RunKvsim("key 3 0x47 release e2"), 2);
    EXPECT_THAT(Record(), IsEmpty());

    // "fail" makes the next receive fail.
    api.set_filter(context, api.is_keyboard, kKeyboardFilterAll);
    EXPECT_EQ(RunKvsim("fail"), 0);
    EXPECT_EQ(RunKvsim("key 3 0x47 press"), 0);
    Record();
    Stroke stroke{};
    EXPECT_LT(api.receive(context, 3, &stroke, 1), 0);
    EXPECT_EQ(api.receive(context, 3, &stroke, 1), 1);
}
