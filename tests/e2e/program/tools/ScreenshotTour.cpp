// screenshot_tour OUTDIR: starts kvRemote on the simulated driver, opens each of its windows the
// way a user would and saves a PNG of each into OUTDIR (the README's screenshots). Run it inside a
// Wine desktop with a taskbar (explorer /desktop=...), as scripts/screenshots.sh does, so that the
// tray icon and its menu have somewhere to be. Exit code 0 when every picture was taken.
#include "BuildPath.h"
#include "Controls.h"
#include "FileText.h"
#include "MessageBoxes.h"
#include "Process.h"
#include "RunFolder.h"
#include "SatelliteStandIn.h"
#include "Screenshot.h"
#include "UdpReceiver.h"
#include "WindowFind.h"
#include "base/WindowMessages.h"
#include "res/resource.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

namespace fs = std::filesystem;
using namespace kve2e;

namespace {

int g_failures = 0;

bool Check(const testing::AssertionResult& result, const char* what) {
    if (!result) {
        std::fprintf(stderr, "screenshot_tour: %s: %s\n", what, result.message());
        ++g_failures;
    }
    return static_cast<bool>(result);
}

RgbImage Crop(const RgbImage& image, RECT r) {
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, image.width);
    r.bottom = std::min<LONG>(r.bottom, image.height);
    RgbImage out;
    out.width = std::max<LONG>(r.right - r.left, 0);
    out.height = std::max<LONG>(r.bottom - r.top, 0);
    for (int y = r.top; y < r.bottom; ++y) {
        const auto* row = image.rgb.data() + (static_cast<size_t>(y) * image.width + r.left) * 3;
        out.rgb.insert(out.rgb.end(), row, row + out.width * 3);
    }
    return out;
}

RECT Grown(RECT r, int by) {
    return RECT{r.left - by, r.top - by, r.right + by, r.bottom + by};
}

void Save(const fs::path& dir, const char* name, RECT area) {
    const auto path = dir / name;
    if (Check(WritePng(path, Crop(CaptureScreen(), area)) ? testing::AssertionSuccess()
                                                          : testing::AssertionFailure() << "cannot write",
              name)) {
        std::printf("screenshot_tour: %s\n", path.string().c_str());
    }
}

void SaveWindow(const fs::path& dir, const char* name, HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    Save(dir, name, Grown(r, 8));
}

// A little time for Wine to paint what was just shown.
void Settle() {
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
}

HWND UntitledDialog(DWORD pid, HWND except) {
    for (HWND w : TopLevelWindows(pid)) {
        if (w != except && IsWindowVisible(w) && ClassName(w) == "#32770" && !IsMessageBox(w) &&
            WindowText(w).empty()) {
            return w;
        }
    }
    return nullptr;
}

// One run of kvRemote in its own folder on a simulated driver.
class Session {
public:
    Session(const char* label, const std::string& devices, const std::string& config)
        : folder_(label), simPort_(UdpReceiver(0).Port()) {
        folder_.Copy(BuildPath(KV_TOUR_KVREMOTE_EXE), "kvRemote.exe");
        folder_.Copy(BuildPath(KV_TOUR_KVCOM_DLL), "KvCom.dll");
        folder_.Copy(BuildPath(KV_TOUR_SIMDRIVER_DLL), "interception.dll");
        if (!config.empty()) {
            fs::create_directories(folder_ / "cfg");
            folder_.Write("cfg/kvRemote.ini", config);
        }
        StartOptions options;
        options.args = {"-a", folder_.Path().string()};
        options.workingDir = folder_.Path();
        options.env["KVSIM_DEVICES"] = folder_.Write("devices.txt", devices).string();
        options.env["KVSIM_PORT"] = std::to_string(simPort_);
        program_.emplace(Process::Start(folder_ / "kvRemote.exe", options));
        Check(WaitUntil(
                  [&] {
                      for (HWND w : TopLevelWindows(program_->Pid())) {
                          if (ClassName(w) == "#32770" && !IsMessageBox(w) && WindowText(w) == "kvRemote") {
                              main_ = w;
                          }
                      }
                      return main_ != nullptr;
                  },
                  kWait, "the main window"),
              label);
        HWND about = nullptr;
        if (WaitUntil([&] { return (about = UntitledDialog(program_->Pid(), main_)) != nullptr; },
                      Millis(8000), "the About box")) {
            PostMsg(about, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            WaitUntil([&] { return !IsWindow(about); }, kWait, "the About box to close");
        }
    }

    ~Session() {
        if (main_ != nullptr && PostCommand(main_, ID_TRAY_EXIT)) {
            program_->WaitForExit(kWait);
        }
    }

    HWND Main() const { return main_; }
    DWORD Pid() const { return program_->Pid(); }
    void Inject(const std::string& commands) { SendLoopback(simPort_, commands); }

    // Injects commands every 100 ms while shoot runs, so a flashing LED stays lit.
    void WhileInjecting(const std::string& commands, const std::function<void()>& shoot) {
        std::atomic<bool> done{false};
        std::thread injector([&] {
            while (!done.load()) {
                Inject(commands);
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        shoot();
        done.store(true);
        injector.join();
    }

private:
    RunFolder folder_;
    uint16_t simPort_;
    std::optional<Process> program_;
    HWND main_ = nullptr;
};

const std::string kDevices = "1 HID\\VID_045E&PID_0750\n2 HID\\VID_05A4&PID_9759\n3 HID\\VID_046D&PID_C31C\n"
                             "11 HID\\VID_046D&PID_C077\n12 HID\\VID_1BCF&PID_0005\n";
const std::string kConfig =
    "[Network]\r\nBroadcastAddress=127.255.255.255\r\nPort=49873\r\n[Connections]\r\nStation=Stage1\r\n"
    "[Companion]\r\nHost=127.0.0.1\r\nPort=16622\r\n"
    "[Keyboards]\r\nDevice1=2\r\nHarwareId1=HID\\VID_05A4&PID_9759\r\nIndex1=5\r\n"
    "Device2=3\r\nHarwareId2=HID\\VID_046D&PID_C31C\r\nIndex2=6\r\nUseAux=1\r\n"
    "[Mouses]\r\nDevice1=12\r\nHarwareId1=HID\\VID_1BCF&PID_0005\r\nIndex1=7\r\nUseAux=1\r\n";

void SetupDialog(Session& s, const fs::path& out, int button, const char* title, const std::string& strokes,
                 const char* file) {
    HWND dialog = nullptr;
    if (!Check(PressButton(s.Main(), button), title) ||
        !Check(WaitForWindow(s.Pid(), title, dialog), title)) {
        return;
    }
    Settle();
    s.WhileInjecting(strokes, [&] { SaveWindow(out, file, dialog); });
    PressButton(dialog, IDCANCEL);
    Check(WaitForWindowGone(s.Pid(), title), title);
}

void TrayMenu(Session& s, const fs::path& out) {
    // The taskbar of the Wine desktop runs along the bottom with the notification area at its right;
    // the program opens its menu at the cursor on a right-button release over its icon.
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    // Distances in pixels at 96 DPI, grown with the screen's DPI as the menu and the taskbar do.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const auto scaled = [dpi](int pixels96) { return MulDiv(pixels96, dpi, 96); };
    // Wine fits the menu on the screen over the taskbar rather than opening it upwards; a cursor
    // a menu's height above the icon shows both, as on Windows.
    SetCursorPos(width - scaled(12), height - scaled(120));
    PostMsg(s.Main(), WM_TRAY_NOTIFY, 1, WM_RBUTTONUP);
    HWND menu = nullptr;
    const auto shown = WaitUntil(
        [&] {
            for (HWND w : TopLevelWindows(0)) {
                if (ClassName(w) == "#32768" && IsWindowVisible(w)) {
                    menu = w;
                    return true;
                }
            }
            return false;
        },
        kWait, "the tray menu");
    if (!Check(shown, "tray menu")) {
        return;
    }
    Settle();
    RECT r{};
    GetWindowRect(menu, &r);
    // The menu may cover the icon itself; the taskbar to its left shows where it came from.
    Save(out, "tray-menu.png", RECT{r.left - scaled(220), r.top - scaled(10), width, height});
    PostMsg(s.Main(), WM_CANCELMODE);
    keybd_event(VK_ESCAPE, 0, 0, 0);
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: screenshot_tour OUTDIR\n");
        return 2;
    }
    const fs::path out = BuildPath(argv[1]);
    fs::create_directories(out);
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    {
        // Companion, connected, in the Connections dialog.
        SatelliteStandIn companion;
        Check(companion.Start(16622) ? testing::AssertionSuccess()
                                     : testing::AssertionFailure() << "port 16622 is taken",
              "companion");
        Session s("tour-driver", kDevices, kConfig);
        if (Check(PostCommand(s.Main(), ID_TRAY_SETTINGS), "settings") &&
            Check(WaitUntil([&] { return IsWindowVisible(s.Main()); }, kWait, "the settings window"),
                  "settings")) {
            s.Inject("key 2 0x47 0\nkey 2 0x47 1\n");
            Check(WaitUntil([&] { return ControlText(s.Main(), IDC_LAST_COMMAND) == "AUXKEYB/103/0/5"; },
                            kWait, "the last command"),
                  "settings");
            Settle();
            SaveWindow(out, "settings.png", s.Main());
            SetupDialog(s, out, IDC_KEYB_SETUP, "Keyboards setup", "key 3 0x1E 0\nkey 3 0x1E 1\n",
                        "setup-keyboards.png");
            SetupDialog(s, out, IDC_MOUSE_SETUP, "Mouses setup", "mouse 12 1 0\nmouse 12 2 0\n",
                        "setup-mice.png");
            HWND connections = nullptr;
            if (Check(PressButton(s.Main(), IDC_CONNECTIONS), "connections") &&
                Check(WaitForWindow(s.Pid(), "Connections", connections), "connections")) {
                Check(WaitUntil(
                          [&] {
                              return ControlText(connections, IDC_COMPANION_STATUS)
                                  .value_or("")
                                  .starts_with("connected");
                          },
                          kWait, "Companion's status line"),
                      "connections");
                Settle();
                SaveWindow(out, "connections.png", connections);
                PressButton(connections, IDCANCEL);
                Check(WaitForWindowGone(s.Pid(), "Connections"), "connections");
            }
            PressButton(s.Main(), IDCANCEL);
        }
        HWND about = nullptr;
        if (Check(PostCommand(s.Main(), ID_TRAY_ABOUT), "about") &&
            Check(WaitUntil([&] { return (about = UntitledDialog(s.Pid(), s.Main())) != nullptr; }, kWait,
                            "the About box"),
                  "about")) {
            Settle();
            SaveWindow(out, "about.png", about);
            PostMsg(about, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            WaitUntil([&] { return !IsWindow(about); }, kWait, "the About box to close");
        }
        TrayMenu(s, out);
    }
    {
        Session s("tour-nodriver", "absent\n", "");
        Check(WaitUntil([&] { return IsWindowVisible(s.Main()); }, kWait, "the first-run window"),
              "no driver");
        Settle();
        SaveWindow(out, "settings-no-driver.png", s.Main());
    }
    WSACleanup();
    return g_failures == 0 ? 0 : 1;
}
