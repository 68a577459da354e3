#include "CaptureWin32Fixture.h"
#include "capture/AuxInputMessage.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

const char* const kWindowClass = "kvCaptureTestTarget";
// The marker Settle injects: an E1 release of the main keyboard, consumed without a post.
const char* const kMarker = "key 1 0x7F 5";
constexpr std::size_t kDatagramLines = 100;
constexpr auto kSettleLimit = std::chrono::seconds(15);

const char* const kDevices = "1 HID\\VID_0001&PID_0001\n"
                             "3 HID\\VID_046D&PID_C31C\n"
                             "11 HID\\VID_0002&PID_0002\n"
                             "12 HID\\VID_1234&PID_5678\n";

// The saved indexes of the auxiliary devices, as the setup dialog writes them.
const char* const kIni = "[Keyboards]\r\nDevice1=3\r\nHarwareId1=HID\\VID_046D&PID_C31C\r\nIndex1=5\r\n"
                         "[Mouses]\r\nDevice1=12\r\nHarwareId1=HID\\VID_1234&PID_5678\r\nIndex1=2\r\n";

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

HWND MessageWindow() {
    return CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

} // namespace

void PriorityNotingSink::Post(std::uintptr_t target, std::uint32_t wParam, std::int32_t lParam) {
    if (priority.load(std::memory_order_relaxed) == THREAD_PRIORITY_ERROR_RETURN) {
        priority.store(GetThreadPriority(GetCurrentThread()), std::memory_order_relaxed);
    }
    inner_.Post(target, wParam, lParam);
}

std::string CaptureWin32Test::TempFile(const char* stem) {
    static int counter = 0;
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + stem + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
}

void CaptureWin32Test::SetUpTestSuite() {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    ASSERT_NE(RegisterClassA(&wc), 0);
}

void CaptureWin32Test::TearDownTestSuite() {
    UnregisterClassA(kWindowClass, GetModuleHandleA(nullptr));
    WSACleanup();
}

void CaptureWin32Test::SetUp() {
    names_.Fill();
    std::ofstream(devicesPath_, std::ios::binary) << kDevices;
    std::ofstream(iniPath_, std::ios::binary) << kIni;
    DeleteFileA(logPath_.c_str());

    injector_.emplace();
    ASSERT_NE(injector_->DriverPort(), 0);

    // Read by the driver when the controller makes its context.
    SetEnvironmentVariableA("KVSIM_DEVICES", devicesPath_.c_str());
    SetEnvironmentVariableA("KVSIM_PORT", std::to_string(injector_->DriverPort()).c_str());
    SetEnvironmentVariableA("KVSIM_LOG", logPath_.c_str());

    mainWindow = MessageWindow();
    setupWindow = MessageWindow();
    ASSERT_NE(mainWindow, nullptr);
    ASSERT_NE(setupWindow, nullptr);
}

void CaptureWin32Test::TearDown() {
    controller.StopCapture();
    Drain(mainWindow);
    Drain(setupWindow);
    DestroyWindow(mainWindow);
    DestroyWindow(setupWindow);
    injector_.reset();
    DeleteFileA(devicesPath_.c_str());
    DeleteFileA(logPath_.c_str());
    DeleteFileA(iniPath_.c_str());
}

void CaptureWin32Test::Start() {
    controller.StartCapture(reinterpret_cast<std::uintptr_t>(mainWindow), settings_);
    ASSERT_TRUE(controller.HasContext());
    ASSERT_TRUE(controller.ThreadRunning());
    ASSERT_EQ(Ask("ping?"), "pong\n");
}

void CaptureWin32Test::Inject(const std::string& lines) {
    injector_->Send(lines);
}

std::string CaptureWin32Test::Ask(const std::string& line) {
    return injector_->Ask(line);
}

void CaptureWin32Test::InjectAll(const std::vector<std::string>& lines) {
    for (std::size_t i = 0; i < lines.size(); i += kDatagramLines) {
        std::string datagram;
        for (std::size_t j = i; j < lines.size() && j < i + kDatagramLines; ++j) {
            datagram += lines[j] + "\n";
        }
        // The answer comes after every line before it: the socket never piles up.
        ASSERT_EQ(Ask(datagram + "ping?"), "pong\n");
    }
}

void CaptureWin32Test::Settle() {
    ++markers_;
    Inject(kMarker);
    const auto deadline = std::chrono::steady_clock::now() + kSettleLimit;
    for (;;) {
        int seen = 0;
        for (const std::string& line : RawRecord()) {
            seen += EndsWith(line, std::string(" ") + kMarker) ? 1 : 0;
        }
        if (seen >= markers_) {
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            FAIL() << "marker " << markers_ << " never came back";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Main strokes that are not held pass the thread by: wait until the driver holds nothing and the
    // pass that took the last stroke has ended.
    while (Ask("held?") != "held 0\n") {
        if (std::chrono::steady_clock::now() > deadline) {
            FAIL() << "the driver still holds strokes";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const std::uint32_t passes = controller.Passes();
    while (controller.ThreadRunning() && controller.Passes() - passes < 2) {
        if (std::chrono::steady_clock::now() > deadline) {
            FAIL() << "the capture thread makes no pass";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::vector<std::string> CaptureWin32Test::RawRecord() const {
    std::ifstream file(logPath_, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> CaptureWin32Test::Record() const {
    std::vector<std::string> lines;
    for (const std::string& line : RawRecord()) {
        if (!EndsWith(line, std::string(" ") + kMarker)) {
            lines.push_back(line);
        }
    }
    return lines;
}

std::vector<std::string> CaptureWin32Test::RecordLines(const std::string& prefix) const {
    std::vector<std::string> lines;
    for (const std::string& line : Record()) {
        if (line.rfind(prefix, 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

std::vector<PostedInput> CaptureWin32Test::Drain(HWND window, std::size_t limit) {
    std::vector<PostedInput> posted;
    MSG msg;
    while (posted.size() < limit && PeekMessageA(&msg, window, WM_AUX_INPUT, WM_AUX_INPUT, PM_REMOVE)) {
        posted.push_back({static_cast<std::uint32_t>(msg.wParam), static_cast<std::int32_t>(msg.lParam)});
    }
    return posted;
}
