// The simulated interception.dll through the program's driver table: filters, the held-stroke
// queue, the record of what reached the system or was re-injected, hardware ids, devices plugged
// and unplugged and failures on command.
#include "SimDriverFixture.h"
#include "capture/DeviceClass.h"

#include <gmock/gmock.h>

#include <windows.h>

#include <dbt.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

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

// As the real library fails: the wait keeps answering a device at once, even one that holds
// nothing, while every receive reads nothing and returns 0, never a negative count.
TEST_F(SimDriverTest, FailMakesTheWaitAnswerAtOnceAndEveryReceiveReadNothing) {
    Open(kDevices);
    api.set_filter(context, api.is_keyboard, kKeyboardFilterAll);
    std::thread injector([this] {
        Sleep(200);
        Inject("fail");
    });
    // a wait under way when the failure comes answers too: the lowest described device
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(api.wait_with_timeout(context, 120000), 1);
    injector.join();
    Inject("key 3 0x47 0"); // held, and never read
    Record();
    Stroke stroke;
    std::memset(&stroke, 0xAB, sizeof stroke);
    const Stroke untouched = stroke;
    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_EQ(api.wait_with_timeout(context, 120000), 1);
        EXPECT_EQ(api.receive(context, 1, &stroke, 1), 0);
        EXPECT_EQ(api.receive(context, 3, &stroke, 1), 0);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60))
        << "a wait ran into its time-out";
    EXPECT_EQ(std::memcmp(&stroke, &untouched, sizeof stroke), 0);

    Inject("fail 12\nfail 21\nfail 0");
    Record();
    EXPECT_EQ(api.wait_with_timeout(context, 0), 12);
    EXPECT_EQ(api.receive(context, 12, &stroke, 1), 0);
    EXPECT_THAT(Record(), ElementsAre("filter keyboards 15", "receive failed",
                                      "error usage fail [DEV] (DEV 1-20): fail 21",
                                      "error usage fail [DEV] (DEV 1-20): fail 0"));

    // until the context is destroyed
    Close();
    Open(kDevices);
    api.set_filter(context, api.is_keyboard, kKeyboardFilterAll);
    Inject("key 3 0x47 0");
    Record();
    EXPECT_EQ(api.wait_with_timeout(context, 0), 3);
    EXPECT_EQ(api.receive(context, 3, &stroke, 1), 1);
    EXPECT_EQ(api.wait_with_timeout(context, 0), 0);

    // with no device at all there is none to answer
    Close();
    Open("");
    Inject("fail");
    EXPECT_THAT(Record(), ElementsAre("error fail: no device to answer"));
    EXPECT_EQ(api.wait_with_timeout(context, 0), 0);
}

// A device that arrives is unfiltered, whatever its number had; one that goes takes its id, its
// held strokes and its stroke awaiting re-injection with it, and its number then refuses strokes.
TEST_F(SimDriverTest, PluggedDevicesArriveUnfilteredAndUnpluggedOnesTakeTheirStrokes) {
    Open(kDevices);
    api.set_filter(context, api.is_keyboard, kKeyboardFilterAll);
    Inject("plug 4   HID\\VID_0001&PID_0001 rev 2  "); // the id is the rest of the line
    Inject("key 4 0x47 0");
    Inject("key 3 0x47 0\nkey 1 0x1E 0\nkey 3 0x48 0");
    EXPECT_EQ(Ask("filters?"), "filters 15 15 15 0 15 15 15 15 15 15 0 0 0 0 0 0 0 0 0 0\n");
    char16_t buffer[100] = {};
    EXPECT_GT(api.get_hardware_id(context, 4, buffer, sizeof buffer), 0u);
    EXPECT_EQ(std::u16string(buffer), Utf16("HID\\VID_0001&PID_0001 rev 2"));

    Stroke stroke{}, other{};
    ASSERT_EQ(api.wait_with_timeout(context, 0), 3);
    ASSERT_EQ(api.receive(context, 3, &stroke, 1), 1); // one of 3's strokes, not given back yet
    Inject("unplug 3");
    Inject("key 3 0x47 1");
    Record();
    EXPECT_EQ(api.get_hardware_id(context, 3, buffer, sizeof buffer), 0u);
    EXPECT_EQ(api.wait_with_timeout(context, 0), 1); // 3's second stroke went with it
    EXPECT_EQ(api.receive(context, 3, &other, 1), 0);
    EXPECT_EQ(api.receive(context, 1, &other, 1), 1);
    EXPECT_EQ(api.wait_with_timeout(context, 0), 0);

    // Back at the same number: a stroke taken before the unplug is not one it received.
    Inject("plug 3 HID\\VID_046D&PID_C31C");
    Record();
    EXPECT_EQ(api.send(context, 3, &stroke, 1), 1);
    const std::string timing = Ask("timing?");
    EXPECT_EQ(timing.rfind("held=3 sent=0 out_of_order=0 unmatched=1 ", 0), 0u) << timing;
    EXPECT_EQ(Ask("filters?"), "filters 15 15 0 0 15 15 15 15 15 15 0 0 0 0 0 0 0 0 0 0\n");

    Inject("plug 1 HID\\X\nunplug 9\nplug 21 HID\\X\nplug 4\nquiet fail");
    EXPECT_THAT(Record(), ElementsAre("filter keyboards 15", "plug 4 HID\\VID_0001&PID_0001 rev 2",
                                      "system key 4 0x47 0", "unplug 3", "error no device key 3 0x47 1",
                                      "plug 3 HID\\VID_046D&PID_C31C", "send key 3 0x47 0",
                                      "error device present: plug 1 HID\\X", "error no device: unplug 9",
                                      "error not a device number 1-20: plug 21 HID\\X",
                                      "error usage plug DEV ID: plug 4",
                                      "error usage quiet plug DEV ID | quiet unplug DEV: quiet fail"));
}

// Plugging posts what Windows posts to every top-level window when a device node comes or goes;
// quiet plugging leaves it out. Posted, not sent: this thread handles no sent message while it
// waits for the driver's answer, so a sent one would hold up the driver's listener.
TEST_F(SimDriverTest, PlugAndUnplugBroadcastTheDeviceChangeUnlessQuiet) {
    Open(kDevices);
    const HWND window = CreateWindowExA(0, "STATIC", "device changes", WS_POPUP, 0, 0, 10, 10, nullptr,
                                        nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    // The device-change messages queued for the window, waiting up to `ms` for the first.
    const auto changes = [window](DWORD ms) {
        std::vector<std::pair<WPARAM, LPARAM>> seen;
        const DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.hwnd == window && msg.message == WM_DEVICECHANGE)
                    seen.emplace_back(msg.wParam, msg.lParam);
                DispatchMessageA(&msg);
            }
            if (!seen.empty() || GetTickCount() - start >= ms)
                return seen;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    };
    const auto devnodesChanged = Pair(WPARAM{DBT_DEVNODES_CHANGED}, LPARAM{0});

    EXPECT_EQ(Ask("quiet plug 4 HID\\VID_0001&PID_0001\nquiet unplug 4\nplug 1 HID\\X\nping?"), "pong\n");
    EXPECT_THAT(changes(0), IsEmpty()); // a post is queued before the next line is handled
    EXPECT_EQ(Ask("plug 4 HID\\VID_0001&PID_0001\nping?"), "pong\n");
    EXPECT_THAT(changes(10000), ElementsAre(devnodesChanged)); // one, and none left from the quiet ones
    EXPECT_EQ(Ask("unplug 4\nping?"), "pong\n");
    EXPECT_THAT(changes(10000), ElementsAre(devnodesChanged));
    DestroyWindow(window);
    EXPECT_THAT(Record(), ElementsAre("quiet plug 4 HID\\VID_0001&PID_0001", "quiet unplug 4",
                                      "error device present: plug 1 HID\\X", "plug 4 HID\\VID_0001&PID_0001",
                                      "unplug 4"));
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
    api.set_filter(context, api.is_keyboard, kKeyboardFilterAll);
    Inject("mouse 12 1 0");
    Inject("key 3 0x47 0");
    Record();
    Stroke stroke{};
    ASSERT_EQ(api.wait_with_timeout(context, 0), 3);
    ASSERT_EQ(api.receive(context, 3, &stroke, 1), 1);
    EXPECT_EQ(api.send(context, 3, &stroke, 1), 1);
    api.set_filter(
        context, [](int device) { return device == 2 || device == 11 ? 1 : 0; }, 3);
    // one chosen device already at the mask still makes a change; all of them, none
    const DriverPredicate twoAndThree = [](int device) { return device == 2 || device == 3 ? 1 : 0; };
    api.set_filter(context, twoAndThree, 3);
    api.set_filter(context, twoAndThree, 3);
    api.set_filter(
        context, [](int) { return 0; }, 3);
    Inject("key 9 0x1E 0");  // no such device
    Inject("key 12 0x1E 0"); // a mouse number
    const std::vector<std::string> expected = {
        "filter keyboards 15",
        "filter mice 0 unchanged", // every mouse number starts at 0
        "filter keyboards 15 unchanged",
        "system mouse 12 1 0",
        "send key 3 0x47 0",
        "filter devices 2 11 3",
        "filter devices 2 3 3",
        "filter devices 2 3 3 unchanged",
        "filter no devices 3 unchanged",
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
// What it prints goes to *output when given.
int RunKvsim(const std::string& args, std::string* output = nullptr) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string exe(self);
    exe = exe.substr(0, exe.find_last_of('\\') + 1) + "kvsim.exe";
    std::string commandLine = "\"" + exe + "\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (output && CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = writeEnd;
        si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr,
                                        writeEnd != nullptr, 0, nullptr, nullptr, &si, &pi);
    if (writeEnd)
        CloseHandle(writeEnd); // the child's copy is the only one: its exit ends the reading
    if (readEnd) {
        char chunk[4096];
        DWORD n = 0;
        while (started && ReadFile(readEnd, chunk, sizeof chunk, &n, nullptr) && n > 0)
            output->append(chunk, n);
        CloseHandle(readEnd);
    }
    if (!started)
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

    // Plugging, quiet or not, with an id of several words; the filters as the driver answers them.
    api.set_filter(context, api.is_keyboard, kKeyboardFilterAll);
    Inject("reset-log");
    EXPECT_EQ(RunKvsim("plug 4 HID\\VID_0001&PID_0001"), 0);
    EXPECT_EQ(RunKvsim("quiet plug 5 \"My keypad\" two"), 0);
    EXPECT_EQ(RunKvsim("unplug 4"), 0);
    EXPECT_EQ(RunKvsim("quiet unplug 5"), 0);
    EXPECT_EQ(RunKvsim("unplug"), 2);
    EXPECT_EQ(RunKvsim("quiet fail"), 2);
    std::string filters;
    EXPECT_EQ(RunKvsim("filters", &filters), 0);
    EXPECT_EQ(filters, "filters 15 15 15 0 0 15 15 15 15 15 0 0 0 0 0 0 0 0 0 0\r\n"); // a text-mode stdout
    EXPECT_THAT(Record(), ElementsAre("plug 4 HID\\VID_0001&PID_0001", "quiet plug 5 My keypad two",
                                      "unplug 4", "quiet unplug 5"));

    // "fail" in the real library's shape, at the lowest device or the one named.
    EXPECT_EQ(RunKvsim("key 3 0x47 press"), 0);
    EXPECT_EQ(RunKvsim("fail"), 0);
    Record();
    Stroke stroke{};
    EXPECT_EQ(api.wait_with_timeout(context, 0), 1);
    EXPECT_EQ(api.receive(context, 3, &stroke, 1), 0);
    EXPECT_EQ(RunKvsim("fail 12"), 0);
    Record();
    EXPECT_EQ(api.wait_with_timeout(context, 0), 12);
}
