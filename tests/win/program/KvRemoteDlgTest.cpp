// The main dialog over fake services: start-up, Apply/OK/Cancel, sending captured events, setup mode
// and Exit, checked through the configuration file, the link's calls and the driver's filters.
#include "DialogSize.h"
#include "DibPixels.h"
#include "FakeDialogHooks.h"

#include "winfx/StringTable.h"
#include "settings/IniProfileStore.h"
#include "settings/RunValueStoreWin32.h"
#include "settings/SignInEntryWin32.h"
#include "capture/AuxInputMessage.h"
#include "capture/KeypadZeroGate.h"
#include "capture/ScanCodeMap.h"
#include "res/resource.h"
#include "ui/KvRemoteDlg.h"
#include "winfx/MessageLoop.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <shellapi.h>

#include <atomic>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

namespace {

// ---- a fake driver: keyboards 1 and 2, mouse 11 ----
using FilterCalls = std::vector<std::pair<std::uint32_t, unsigned short>>;
constexpr std::uint32_t kKeyboards = 0x7FE, kMice = 0x1FF800;
constexpr std::uint32_t Bit(int device) {
    return std::uint32_t{1} << device;
}
struct FakeDriverState {
    bool present = true;
    std::vector<std::pair<std::uint32_t, unsigned short>> filters; // (bit d: device d chosen, filter)
    int destroyed = 0;
    std::size_t filtersAtDestroy = 0; // filters.size() when the context was destroyed
    std::map<int, std::string> ids{{1, "ACPI\\PNP0303"}, {2, "HID\\KB2"}, {11, "HID\\MOUSE"}};
} g_driver;
int g_context;

DriverContext Create() {
    return g_driver.present ? &g_context : nullptr;
}
void Destroy(DriverContext) {
    ++g_driver.destroyed;
    g_driver.filtersAtDestroy = g_driver.filters.size();
}
int IsKeyboard(int d) {
    return d >= 1 && d <= 10;
}
int IsMouse(int d) {
    return d >= 11 && d <= 20;
}
void SetFilter(DriverContext, DriverPredicate predicate, unsigned short filter) {
    std::uint32_t chosen = 0;
    for (int d = 1; d <= 20; ++d)
        chosen |= predicate(d) ? std::uint32_t{1} << d : 0;
    g_driver.filters.push_back({chosen, filter});
}
// Nothing ever comes: every wait times out, as the driver's does.
int Wait(DriverContext, unsigned long ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return 0;
}
int Receive(DriverContext, int, Stroke*, unsigned) {
    return 0;
}
int Send(DriverContext, int, const Stroke*, unsigned) {
    return 1;
}
unsigned HardwareId(DriverContext, int device, void* buffer, unsigned size) {
    const auto found = g_driver.ids.find(device);
    const std::string id = found == g_driver.ids.end() ? std::string() : found->second;
    std::u16string wide(id.begin(), id.end());
    const unsigned bytes = static_cast<unsigned>((wide.size() + 1) * 2);
    if (wide.empty() || bytes > size)
        return 0;
    std::memcpy(buffer, wide.c_str(), bytes);
    return bytes;
}
const DriverApi kFakeDriver{Create, Destroy, SetFilter, Wait, Receive, Send, IsKeyboard, IsMouse, HardwareId};

// What FakeLink records for an Init with the main dialog's link message.
std::string Init(const std::string& addressAndPort) {
    return "init " + std::to_string(WM_LINK_NOTIFY) + " " + addressAndPort;
}

struct FakeLink : NetworkLink {
    bool fail = false; // Init reports the link could not be opened
    std::vector<std::string> calls;
    std::vector<std::string> lines;
    bool Init(std::uintptr_t, unsigned message, const std::string& address, int port) override {
        calls.push_back("init " + std::to_string(message) + " " + address + " " + std::to_string(port));
        return !fail;
    }
    void Send(const std::string& line) override { lines.push_back(line); }
    void Close() override { calls.push_back("close"); }
};

struct FakeBoxes : MessageBoxes {
    std::vector<std::string> texts;
    std::vector<UINT> types;
    int answer = IDYES;
    int Show(HWND, const std::string& text, UINT type) override {
        texts.push_back(text);
        types.push_back(type);
        return answer;
    }
    int ShowUtf8(HWND owner, const std::string& text, UINT type) override { return Show(owner, text, type); }
};

// Network destinations as the dialog sees them: news handed in by the test, calls recorded.
struct FakeHub : ConnectionsHub {
    std::vector<ConnectionStatus> statuses;
    std::vector<std::size_t> lost; // given out by the next TakeNews
    std::vector<std::string> calls;
    void SetNotifyWindow(std::uintptr_t) override {}
    // Records how many of the connections are on (an empty host is one that is off).
    void Start(std::vector<HubConnection> connections) override {
        const auto on = std::count_if(connections.begin(), connections.end(),
                                      [](const HubConnection& c) { return !c.target.host.empty(); });
        calls.push_back("start " + std::to_string(on));
    }
    bool AnyOn() const override { return !statuses.empty(); }
    void Post(const DestinationEvent&) override {}
    void SetExposure(const std::vector<ExposedDevice>&) override {}
    void Goodbye(MonoMs boundMs) override {
        calls.push_back(boundMs > 0 && boundMs <= 2000 ? "goodbye within the exit's bound" : "goodbye");
    }
    std::vector<std::size_t> TakeNews() override { return std::exchange(lost, {}); }
    const std::vector<ConnectionStatus>& Statuses() const override { return statuses; }
};

// A Run value that cannot be written or deleted.
struct RefusingRunValue : RunValueStore {
    std::optional<std::string> Read() const override { return std::nullopt; }
    bool Write(const std::string&) override { return false; }
    bool Remove() override { return false; }
};

class MainDialog : public ::testing::Test {
protected:
    void SetUp() override {
        g_driver = FakeDriverState{};
        DialogHooksRecord() = FakeDialogHooks{};
        names.Fill();
        iniPath = dir.File("kvRemote.ini");
    }
    void TearDown() override {
        if (dlg && dlg->m_hWnd)
            dlg->OnExit();
        dlg.reset();
        Pump();
    }

    void Start(const std::string& ini, const std::string& path = {}) { ASSERT_TRUE(Build(ini, path)); }
    // Makes the services and the dialog; false when the window is gone by the time Create returns.
    bool Build(const std::string& ini, const std::string& path = {}) {
        if (!path.empty())
            iniPath = path;
        if (!ini.empty())
            std::ofstream(iniPath, std::ios::binary) << ini;
        store = std::make_unique<IniProfileStore>(iniPath);
        settings = std::make_unique<Settings>(*store, names);
        ClearDeviceTable(devices);
        capture = std::make_unique<CaptureController>(
            kFakeDriver, devices, sink, threads,
            CaptureServices{UsScanCodeToVirtualKey, SteadyTickCount, NarrowLatin1,
                            [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }});
        signIn = std::make_unique<SignInEntry>(*runValue, ProgramPathWin32(), signInCommand);
        services = std::make_unique<AppServices>(
            AppServices{*settings, iniPath, devices, *capture, kFakeDriver, link, boxes,
                        [] { return std::string("127.1.255.255"); }, *signIn, driverLibraryMessage, hub});
        dlg = std::make_unique<CkvRemoteDlg>(*services);
        return dlg->Create(IDD_KVREMOTE_DIALOG, nullptr) && dlg->m_hWnd;
    }

    bool Pump() {
        bool quit = false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                quit = true;
            else
                WinFxPumpMessage(&msg);
        }
        return quit;
    }
    void Click(int id) { ::SendMessageA(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    bool Enabled(int id) { return ::IsWindowEnabled(dlg->GetDlgItem(id)) != FALSE; }
    void PostAux(HWND to, int device, std::uint16_t low, int index, std::uint16_t code) {
        const AuxInputParams p = PackAuxInput(device, low, index, code);
        ::PostMessageA(to, WM_AUX_INPUT, p.wParam, p.lParam);
    }

    struct Sink : AuxInputSink {
        void Post(std::uintptr_t target, std::uint32_t w, std::int32_t l) override {
            ::PostMessageA(reinterpret_cast<HWND>(target), WM_AUX_INPUT, w, l);
        }
    } sink;
    struct Starter : StdThreadStarter {
        bool fail = false; // no capture thread can be made
        std::uintptr_t Start(Body body, void* arg) override {
            return fail ? 0 : StdThreadStarter::Start(body, arg);
        }
    } threads;
    SettingNames names;
    TempDir dir;
    std::string iniPath;
    std::unique_ptr<IniProfileStore> store;
    std::unique_ptr<Settings> settings;
    DeviceTable devices;
    std::unique_ptr<CaptureController> capture;
    FakeLink link;
    FakeBoxes boxes;
    FakeHub hub;
    RunValueStoreWin32 registryRunValue; // the Run value of the test prefix's user
    RefusingRunValue refusingRunValue;
    RunValueStore* runValue = &registryRunValue;
    std::string signInCommand = "\"" + ProgramPathWin32() + "\"";
    std::unique_ptr<SignInEntry> signIn;
    std::string driverLibraryMessage;
    std::unique_ptr<AppServices> services;
    std::unique_ptr<CkvRemoteDlg> dlg;
};

const char kConfigured[] =
    "[Network]\r\nBroadcastAddress=127.255.255.255\r\nPort=39999\r\n"
    "[Keyboards]\r\nUseAux=1\r\nMainIndex=7\r\nDevice1=2\r\nHarwareId1=HID\\KB2\r\nIndex1=200\r\n"
    "[Mouses]\r\nUseAux=1\r\nMainIndex=9\r\n";

TEST_F(MainDialog, FirstRunOpensNothingAndLeavesControlsEditable) {
    Start("");
    EXPECT_TRUE(link.calls.empty());
    EXPECT_TRUE(g_driver.filters.empty());
    EXPECT_TRUE(Enabled(IDC_BROADCAST_ADDRESS));
    EXPECT_TRUE(Enabled(IDC_KEYB_USE_AUX));   // two keyboards found
    EXPECT_FALSE(Enabled(IDC_MOUSE_USE_AUX)); // only one mouse
    EXPECT_EQ(dlg->GetItemText(IDC_KEYB_STATUS), "Interception Driver installed - 2 keyboard(s) found");
    EXPECT_EQ(dlg->GetItemText(IDC_PORT), "9871");
    EXPECT_EQ(DialogHooksRecord().aboutShown, 1);
}

TEST_F(MainDialog, SavedAddressStartsLinkAndFiltersWithForcedFlags) {
    Start(kConfigured);
    // Keyboards: two present, flag kept; mice: one present, flag forced off.
    EXPECT_EQ(link.calls, (std::vector<std::string>{"close", Init("127.255.255.255 39999")}));
    // Only the set-up keyboard is held; every other number is set to 0.
    EXPECT_EQ(g_driver.filters, (FilterCalls{{(kKeyboards | kMice) & ~Bit(2), 0}, {Bit(2), 15}}));
    EXPECT_FALSE(Enabled(IDC_BROADCAST_ADDRESS));
    EXPECT_TRUE(dlg->Members().keyboards.useAux);
    EXPECT_FALSE(dlg->Members().mouses.useAux);
}

TEST_F(MainDialog, WithoutDriverStatusLinesSayMissingAndFlagsAreOff) {
    g_driver.present = false;
    Start(kConfigured);
    EXPECT_EQ(dlg->GetItemText(IDC_KEYB_STATUS),
              "Interception Driver not installed - Using the main keyboard");
    EXPECT_EQ(dlg->GetItemText(IDC_MOUSE_STATUS), "Interception Driver not installed - Using the main mouse");
    EXPECT_FALSE(dlg->Members().keyboards.useAux);
    EXPECT_TRUE(g_driver.filters.empty());
    // A save without the driver keeps the saved device list.
    dlg->ShowForEditing();
    Click(IDC_APPLY);
    const std::string file = TempDir::Contents(iniPath);
    EXPECT_NE(file.find("HarwareId1=HID\\KB2"), std::string::npos) << file;
    EXPECT_NE(file.find("UseAux=0"), std::string::npos) << file;
}

TEST_F(MainDialog, ApplyWritesFileAndRestartsLinkEveryTime) {
    Start("");
    dlg->SetItemText(IDC_BROADCAST_ADDRESS, "127.255.255.255");
    dlg->SetItemText(IDC_DESTINATION, "RIG");
    Click(IDC_APPLY);
    Click(IDC_APPLY);
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(link.calls, (std::vector<std::string>{"close", Init("127.255.255.255 9871"), "close",
                                                    Init("127.255.255.255 9871")}));
    const std::string file = TempDir::Contents(iniPath);
    EXPECT_LT(file.find("[Network]"), file.find("[RemoteCmd]"));
    EXPECT_LT(file.find("[RemoteCmd]"), file.find("[Keyboards]"));
    EXPECT_LT(file.find("[Keyboards]"), file.find("[Mouses]"));
    EXPECT_NE(file.find("Destination=RIG"), std::string::npos);
}

TEST_F(MainDialog, RejectedChecksWriteNothingAndFocusTheControl) {
    struct Case {
        int control;
        const char* text;
        int answer;
        int focus;
        const char* message;
    } cases[] = {
        {IDC_BROADCAST_ADDRESS, "127.0.0", IDOK, IDC_BROADCAST_ADDRESS, "Invalid IP address!"},
        {IDC_BROADCAST_ADDRESS, "127.0.0.1", IDNO, IDC_BROADCAST_ADDRESS,
         "Do you confirm the usage of 127.0.0.1?"},
        {IDC_MOUSE_TEXTCMD, "A-B", IDOK, IDC_MOUSE_TEXTCMD, "can only contains letters"},
        {IDC_APPLICATION_ID, "RE\"MOTE", IDOK, IDC_APPLICATION_ID, "double quotes"},
        {IDC_DESTINATION, "a\"b", IDOK, IDC_DESTINATION, "double quotes"},
    };
    Start("");
    dlg->ShowForEditing();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        dlg->SetItemText(IDC_BROADCAST_ADDRESS, "127.255.255.255");
        dlg->SetItemText(c.control, c.text);
        boxes.texts.clear();
        boxes.answer = c.answer;
        Click(IDOK);
        ASSERT_EQ(boxes.texts.size(), 1u);
        EXPECT_NE(boxes.texts[0].find(c.message), std::string::npos) << boxes.texts[0];
        EXPECT_EQ(::GetFocus(), dlg->GetDlgItem(c.focus));
        EXPECT_TRUE(dlg->IsWindowVisible());
        dlg->SetItemText(c.control, "");
    }
    EXPECT_TRUE(link.calls.empty());
    EXPECT_EQ(::GetFileAttributesA(iniPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(MainDialog, FailedSaveIsReportedYetLinkRestartsAndWindowStays) {
    Start("", dir.File("missing\\kvRemote.ini"));
    dlg->ShowForEditing();
    dlg->SetItemText(IDC_BROADCAST_ADDRESS, "127.255.255.255");
    Click(IDOK);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "The settings could not be saved to " + iniPath +
                                  ".\nThey stay in effect until kvRemote ends.");
    EXPECT_EQ(link.calls.size(), 2u);
    EXPECT_TRUE(dlg->IsWindowVisible());
    EXPECT_EQ(dlg->Members().broadcastAddress, "127.255.255.255");
}

TEST_F(MainDialog, AFailedSaveAndAFailedLinkAreBothReportedAndTheWindowStays) {
    Start("", dir.File("missing\\kvRemote.ini"));
    dlg->ShowForEditing();
    link.fail = true;
    dlg->SetItemText(IDC_BROADCAST_ADDRESS, "127.000.010.255");
    Click(IDOK);
    EXPECT_EQ(link.calls, (std::vector<std::string>{"close", Init("127.0.10.255 9871")}));
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(boxes.texts[0].substr(0, 35), "The settings could not be saved to ");
    EXPECT_EQ(boxes.texts[1], "The network link to 127.000.010.255 port 9871 could not be opened. No command "
                              "is sent until the settings are corrected.");
    EXPECT_EQ(boxes.types[1], static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_TRUE(dlg->IsWindowVisible());
    EXPECT_TRUE(Enabled(IDC_BROADCAST_ADDRESS));
}

TEST_F(MainDialog, CaptureThatCannotStartSetsNoFilterAndTheStatusLinesSaySo) {
    threads.fail = true;
    Start(kConfigured);
    EXPECT_TRUE(g_driver.filters.empty());
    for (int id : {IDC_KEYB_STATUS, IDC_MOUSE_STATUS})
        EXPECT_EQ(dlg->GetItemText(id), "Interception Driver installed - capture could not start");
}

TEST_F(MainDialog, CancelBringsBackTheFileAndHides) {
    Start(kConfigured);
    dlg->ShowForEditing();
    dlg->SetItemText(IDC_PORT, "1234");
    Click(IDC_PORT_DEFAULT);
    EXPECT_EQ(dlg->GetItemText(IDC_PORT), "9871");
    dlg->SetItemText(IDC_PORT, "1234");
    Click(IDCANCEL);
    EXPECT_EQ(dlg->GetItemText(IDC_PORT), "39999");
    EXPECT_FALSE(dlg->IsWindowVisible());
    EXPECT_FALSE(Enabled(IDC_PORT));
    EXPECT_EQ(link.calls.size(), 2u); // only the start-up restart
    Click(IDC_BROADCAST_DEFAULT);
    EXPECT_EQ(dlg->GetItemText(IDC_BROADCAST_ADDRESS), "127.1.255.255");
    EXPECT_EQ(dlg->Members().broadcastAddress, "127.255.255.255");
}

TEST_F(MainDialog, CapturedEventsBecomeRemoteLines) {
    Start(kConfigured);
    PostAux(dlg->m_hWnd, 2, 1, 200, 65); // Shift+A on an auxiliary keyboard, index above 127
    PostAux(dlg->m_hWnd, 1, 0, -1, 103); // a main keyboard takes the keyboard main index
    PostAux(dlg->m_hWnd, 11, 0xFF88, 3, kMouseWheel);
    PostAux(dlg->m_hWnd, 11, 0, -1, kMouseLeftDown);
    Pump();
    EXPECT_EQ(link.lines, (std::vector<std::string>{
                              R"(REMOTE: "REMOTE" "" "AUXKEYB/65/1/200" 1)",
                              R"(REMOTE: "REMOTE" "" "AUXKEYB/103/0/7" 1)",
                              R"(REMOTE: "REMOTE" "" "AUXMOUSE/1024/-120/3" 1)",
                              R"(REMOTE: "REMOTE" "" "AUXMOUSE/1/0/9" 1)",
                          }));
    EXPECT_EQ(dlg->GetItemText(IDC_LAST_COMMAND), "AUXMOUSE/1/0/9");
}

// Every command's line goes out; a text or title already showing is not set again, while the title
// still goes back a second after the latest command.
std::vector<HWND> g_setText; // windows sent WM_SETTEXT on this thread
LRESULT CALLBACK RecordSetText(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_SETTEXT)
        g_setText.push_back(message->hwnd);
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(MainDialog, RepeatedCommandsSendEveryLineAndSetTextsOnlyWhenTheyChange) {
    Start(kConfigured);
    const std::string savedTitle = dlg->GetWindowTextA();
    HHOOK hook = ::SetWindowsHookExA(WH_CALLWNDPROC, RecordSetText, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    g_setText.clear();
    for (int i = 0; i < 3; ++i)
        PostAux(dlg->m_hWnd, 2, 0, 200, 103);
    Pump();
    ::KillTimer(dlg->m_hWnd, TimerIdValue(MainTimer::Title)); // from here the ticks are this test's own
    ::SendMessageA(dlg->m_hWnd, WM_TIMER, TimerIdValue(MainTimer::Title), 0);
    ::SendMessageA(dlg->m_hWnd, WM_TIMER, TimerIdValue(MainTimer::Title), 0);
    ::UnhookWindowsHookEx(hook);

    EXPECT_EQ(link.lines.size(), 3u);
    EXPECT_EQ(dlg->GetItemText(IDC_LAST_COMMAND), "AUXKEYB/103/0/200");
    EXPECT_EQ(dlg->GetWindowTextA(), savedTitle);
    // The control once, the title to the command once and back once.
    EXPECT_EQ(g_setText, (std::vector<HWND>{dlg->GetDlgItem(IDC_LAST_COMMAND), dlg->m_hWnd, dlg->m_hWnd}));
}

TEST_F(MainDialog, SetupModeRoutesEventsToTheSetupWindowAndEndsWithFiltersOff) {
    Start(kConfigured);
    g_driver.filters.clear();
    FilterCalls filtersDuringSetup;
    DialogHooksRecord().duringSetup = [&](HWND setupWindow) {
        filtersDuringSetup = g_driver.filters;
        // Events of the setup window reach the main dialog's pre-translation through the owner
        // chain; they must not become commands.
        PostAux(setupWindow, 1, 0, -1, 65);
        MSG msg;
        while (::PeekMessageA(&msg, setupWindow, 0, 0, PM_REMOVE))
            WinFxPumpMessage(&msg);
    };
    dlg->ShowForEditing();
    Click(IDC_MOUSE_SETUP);
    EXPECT_EQ(DialogHooksRecord().setupClass, DEVICE_CLASS_MICE);
    // Every mouse, present or not, is held for the setup; the keypad no more.
    EXPECT_EQ(filtersDuringSetup, (FilterCalls{{Bit(2), 0}, {kMice, 5183}}));
    EXPECT_EQ(g_driver.filters.back(), (std::pair<std::uint32_t, unsigned short>{kMice, 0}));
    EXPECT_EQ(g_driver.filters.size(), 3u);
    EXPECT_TRUE(link.lines.empty());

    // Cancel reloads the file but leaves the filters off until the next Apply or OK, and says so: a
    // balloon as the window hides, whose click opens the settings, and the tip while it lasts.
    const auto filtersAfterSetup = g_driver.filters;
    Click(IDCANCEL);
    EXPECT_EQ(g_driver.filters, filtersAfterSetup);
    EXPECT_EQ(link.calls.size(), 2u); // only the start-up restart
    const NOTIFYICONDATAA& nid = dlg->TrayIconData();
    EXPECT_TRUE(nid.uFlags & NIF_INFO);
    EXPECT_STREQ(nid.szInfo,
                 "Auxiliary devices are not captured. Open the settings and press OK to capture them again.");
    EXPECT_STREQ(nid.szTip, "kvRemote - not capturing");
    ::PostMessageA(dlg->m_hWnd, WM_TRAY_NOTIFY, 1, NIN_BALLOONUSERCLICK);
    Pump();
    EXPECT_TRUE(::IsWindowVisible(dlg->m_hWnd));
    EXPECT_EQ(DialogHooksRecord().setupRuns, 1) << "no setup dialog this time";
    Click(IDOK);
    EXPECT_EQ(g_driver.filters.back(), (std::pair<std::uint32_t, unsigned short>{Bit(2), 15}));
    EXPECT_STREQ(dlg->TrayIconData().szTip, "kvRemote");
}

TEST_F(MainDialog, ExitClosesLinkStopsCaptureAndQuits) {
    Start(kConfigured);
    link.calls.clear();
    ::PostMessageA(dlg->m_hWnd, WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_TRUE(Pump());
    EXPECT_EQ(link.calls, std::vector<std::string>{"close"});
    EXPECT_EQ(g_driver.destroyed, 1);
    EXPECT_EQ(dlg->m_hWnd, nullptr);
    EXPECT_EQ(::GetFileAttributesA(iniPath.c_str()) != INVALID_FILE_ATTRIBUTES, true);
    EXPECT_EQ(TempDir::Contents(iniPath), kConfigured); // nothing written at exit
}

TEST_F(MainDialog, ExitUnderTheSetupDialogSetsNoFilterOnTheClosedContext) {
    Start(kConfigured);
    dlg->ShowForEditing();
    // "Exit" from the tray reaches the disabled main window while the setup dialog runs.
    DialogHooksRecord().duringSetup = [this](HWND) {
        ::SendMessageA(dlg->m_hWnd, WM_COMMAND, ID_TRAY_EXIT, 0);
    };
    Click(IDC_KEYB_SETUP);
    EXPECT_EQ(dlg->m_hWnd, nullptr);
    EXPECT_EQ(g_driver.destroyed, 1);
    EXPECT_EQ(g_driver.filters.size(), g_driver.filtersAtDestroy) << "leaving setup mode after Exit";
    EXPECT_TRUE(Pump());
    EXPECT_EQ(TempDir::Contents(iniPath), kConfigured);
}

// Keyboard HID\KB2, saved at number 2, comes up at number 4 alone: at start-up it may as well be a
// main keyboard of that model, so it is not held; a balloon and the tip name it.
TEST_F(MainDialog, AKeypadAloneAtANewNumberAtStartUpIsOnlyNamed) {
    g_driver.ids = {{1, "ACPI\\PNP0303"}, {4, "HID\\KB2"}, {11, "HID\\MOUSE"}};
    Start(kConfigured);
    EXPECT_EQ(devices[4].index.load(), -1);
    for (const auto& [chosen, filter] : g_driver.filters)
        EXPECT_TRUE(!(chosen & Bit(4)) || filter == 0) << "number 4 is never held";
    const NOTIFYICONDATAA& nid = dlg->TrayIconData();
    EXPECT_TRUE(nid.uFlags & NIF_INFO);
    EXPECT_STREQ(nid.szInfo, "USB Port #1 (HID\\KB2) was found on another port and now works as a main "
                             "device. Click here to set it up again.");
    EXPECT_STREQ(nid.szTip, "kvRemote\nUSB Port #1 (HID\\KB2)");
    EXPECT_EQ(TempDir::Contents(iniPath), kConfigured);
}

// Keyboard HID\KB2, saved at number 2, comes up at numbers 4 and 5 (two of the model): which one is
// meant cannot be told, so both work as main devices, a balloon and the tip say so, and a click on
// the balloon opens the keyboards setup over the settings window.
TEST_F(MainDialog, AMovedDeviceIsNamedAndItsBalloonOpensTheSetup) {
    g_driver.ids = {{1, "ACPI\\PNP0303"}, {4, "HID\\KB2"}, {5, "HID\\KB2"}, {11, "HID\\MOUSE"}};
    Start(kConfigured);
    EXPECT_EQ(devices[4].index.load(), -1);
    EXPECT_EQ(devices[5].index.load(), -1);
    const NOTIFYICONDATAA& nid = dlg->TrayIconData();
    EXPECT_TRUE(nid.uFlags & NIF_INFO);
    EXPECT_STREQ(nid.szInfo, "USB Port #1 (HID\\KB2)\nUSB Port #2 (HID\\KB2) was found on another port and "
                             "now works as a main device. Click here to set it up again.");
    EXPECT_STREQ(nid.szTip, "kvRemote\nUSB Port #1 (HID\\KB2), USB Port #2 (HID\\KB2)");

    bool settingsShownUnderSetup = false;
    DialogHooksRecord().duringSetup = [&](HWND) { settingsShownUnderSetup = ::IsWindowVisible(dlg->m_hWnd); };
    ::PostMessageA(dlg->m_hWnd, WM_TRAY_NOTIFY, 1, NIN_BALLOONUSERCLICK);
    Pump();
    EXPECT_EQ(DialogHooksRecord().setupRuns, 1);
    EXPECT_EQ(DialogHooksRecord().setupClass, DEVICE_CLASS_KEYBOARDS);
    EXPECT_TRUE(settingsShownUnderSetup);
    EXPECT_FALSE(DialogHooksRecord().setupSavesOnOk) << "the file waits for the settings window's OK";
    EXPECT_EQ(g_driver.filters.back(), (std::pair<std::uint32_t, unsigned short>{kKeyboards, 0}));
    // Once its setup was opened, the tip no longer names the device (it says the filters are off
    // until OK), and no balloon comes back.
    EXPECT_STREQ(dlg->TrayIconData().szTip, "kvRemote - not capturing");
    EXPECT_FALSE(dlg->TrayIconData().uFlags & NIF_INFO);
    EXPECT_EQ(TempDir::Contents(iniPath), kConfigured);
}

TEST_F(MainDialog, ALostConnectionGivesOneBalloonWhoseClickOpensTheConnectionsDialog) {
    ConnectionStatus status;
    status.peer = "Companion";
    status.host = "10.0.0.9";
    status.port = 16622;
    status.state = LinkState::Retrying;
    hub.statuses = {status};
    hub.lost = {0};
    // News during the start-up About box: no balloon over it. The Connections dialog asked for from
    // the tray meanwhile opens once the box is gone.
    DialogHooksRecord().duringAbout = [this] {
        ::SendMessageA(dlg->m_hWnd, WM_CONNECTIONS_STATUS, 0, 0);
        EXPECT_FALSE(dlg->TrayIconData().uFlags & NIF_INFO);
        ::SendMessageA(dlg->m_hWnd, WM_COMMAND, ID_TRAY_CONNECTIONS, 0);
        EXPECT_EQ(DialogHooksRecord().connectionsRuns, 0);
    };
    Start(kConfigured);
    Pump();
    EXPECT_EQ(DialogHooksRecord().connectionsRuns, 1);
    EXPECT_EQ(hub.calls, std::vector<std::string>{"start 0"}) << "no connection is on yet";
    EXPECT_STREQ(dlg->TrayIconData().szTip, "kvRemote\nNot connected to Companion");

    hub.lost = {0};
    ::SendMessageA(dlg->m_hWnd, WM_CONNECTIONS_STATUS, 0, 0);
    EXPECT_STREQ(dlg->TrayIconData().szInfo, "Lost the connection to Companion at 10.0.0.9:16622. Retrying.");
    // Back again: the tooltip follows, and no balloon comes with the news.
    hub.statuses[0].state = LinkState::Connected;
    ::SendMessageA(dlg->m_hWnd, WM_CONNECTIONS_STATUS, 0, 0);
    EXPECT_STREQ(dlg->TrayIconData().szTip, "kvRemote");
    EXPECT_FALSE(dlg->TrayIconData().uFlags & NIF_INFO) << "once per loss";
    ::PostMessageA(dlg->m_hWnd, WM_TRAY_NOTIFY, 1, NIN_BALLOONUSERCLICK);
    Pump();
    EXPECT_EQ(DialogHooksRecord().connectionsRuns, 2);
    EXPECT_EQ(DialogHooksRecord().setupRuns, 0);

    // The tray menu's item and the settings window's button open it too.
    ::SendMessageA(dlg->m_hWnd, WM_COMMAND, ID_TRAY_CONNECTIONS, 0);
    dlg->ShowForEditing();
    Click(IDC_CONNECTIONS);
    EXPECT_EQ(DialogHooksRecord().connectionsRuns, 4);

    dlg->OnExit();
    EXPECT_EQ(hub.calls.back(), "goodbye within the exit's bound");
}

// An icon's size and colour pixels, so that icons loaded apart compare by what they show.
struct IconPicture {
    int width = 0;
    std::vector<uint32_t> pixels;
    bool operator==(const IconPicture&) const = default;
};

IconPicture PictureOf(HICON icon) {
    IconPicture picture;
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info))
        return picture;
    BITMAP bm{};
    ::GetObjectA(info.hbmColor, sizeof bm, &bm);
    picture.width = bm.bmWidth;
    picture.pixels = uitest::BitmapPixels(info.hbmColor, bm.bmWidth, bm.bmHeight);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return picture;
}

// The picture of a program icon at the system's small-icon size, as the notification area shows it.
IconPicture ProgramIcon(int id) {
    auto icon =
        static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON,
                                        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    IconPicture picture = PictureOf(icon);
    ::DestroyIcon(icon);
    return picture;
}

IconPicture TrayPicture(const CkvRemoteDlg& dlg) {
    return PictureOf(dlg.TrayIconData().hIcon);
}

TEST_F(MainDialog, TrayIconRecordAndTheNormalIconFollowTheDriver) {
    for (const bool present : {true, false}) {
        SCOPED_TRACE(present ? "driver present" : "driver absent");
        g_driver = FakeDriverState{};
        g_driver.present = present;
        Start(kConfigured);
        const NOTIFYICONDATAA& nid = dlg->TrayIconData();
        // The record version ending with the item GUID, on this architecture.
        EXPECT_EQ(nid.cbSize, offsetof(NOTIFYICONDATAA, guidItem) + sizeof(GUID));
        EXPECT_EQ(nid.hWnd, dlg->m_hWnd);
        EXPECT_EQ(nid.uID, 1u);
        EXPECT_EQ(nid.uFlags, 7u);
        EXPECT_EQ(nid.uCallbackMessage, static_cast<UINT>(WM_TRAY_NOTIFY));
        EXPECT_STREQ(nid.szTip, "kvRemote");
        ASSERT_NE(nid.hIcon, nullptr);
        // Each icon is the picture drawn for its size, not a shrunk larger one.
        EXPECT_EQ(PictureOf(nid.hIcon).width, ::GetSystemMetrics(SM_CXSMICON));
        EXPECT_EQ(TrayPicture(*dlg), ProgramIcon(present ? IDR_MAINFRAME : IDI_NODRIVER));
        const auto windowIcon = [&](WPARAM which) {
            return PictureOf(reinterpret_cast<HICON>(::SendMessageA(dlg->m_hWnd, WM_GETICON, which, 0)))
                .width;
        };
        EXPECT_EQ(windowIcon(ICON_SMALL), ::GetSystemMetrics(SM_CXSMICON));
        EXPECT_EQ(windowIcon(ICON_BIG), ::GetSystemMetrics(SM_CXICON));
        dlg->OnExit();
        dlg.reset();
        Pump();
    }
}

TEST_F(MainDialog, LayoutFollowsTheScreenDpi) {
    for (const bool present : {true, false}) {
        SCOPED_TRACE(present ? "driver present" : "driver absent");
        g_driver = FakeDriverState{};
        g_driver.present = present;
        Start(kConfigured);
        uitest::ExpectTemplateSize(dlg->m_hWnd, IDD_KVREMOTE_DIALOG);
        dlg->OnExit();
        dlg.reset();
        Pump();
    }
}

TEST_F(MainDialog, AnimationFramesTaskbarRestartAndLinkNotify) {
    Start(kConfigured);
    PostAux(dlg->m_hWnd, 2, 0, 200, 103);
    Pump();
    // From here the ticks are this test's own; a real one may have come during the pump.
    dlg->KillTimer(MainTimer::Animation);
    const auto frameShown = [&] {
        for (int frame = 0; frame < 4; ++frame)
            if (TrayPicture(*dlg) == ProgramIcon(IDI_ANIM0 + frame))
                return frame;
        return TrayPicture(*dlg) == ProgramIcon(IDR_MAINFRAME) ? 0 : -1; // frame 0 before its first tick
    };
    int frame = frameShown();
    ASSERT_GE(frame, 0);
    const auto tick = [&] {
        ::SendMessageA(dlg->m_hWnd, WM_TIMER, TimerIdValue(MainTimer::Animation), 0);
        frame = (frame + 1) % 4;
        return TrayPicture(*dlg) == ProgramIcon(IDI_ANIM0 + frame);
    };
    EXPECT_TRUE(tick());
    EXPECT_TRUE(tick());
    // A recreated taskbar gets the icon back with the normal picture; the animation goes on.
    ::SendMessageA(dlg->m_hWnd, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_EQ(TrayPicture(*dlg), ProgramIcon(IDR_MAINFRAME));
    EXPECT_TRUE(tick());
    EXPECT_EQ(::SendMessageA(dlg->m_hWnd, WM_LINK_NOTIFY, 1, 2), 0);
}

TEST_F(MainDialog, TrayClicksReopenTheWindowAndShowTheUsage) {
    Start(kConfigured);
    PostAux(dlg->m_hWnd, 2, 0, 200, 103);
    Pump();
    ASSERT_EQ(dlg->GetItemText(IDC_LAST_COMMAND), "AUXKEYB/103/0/200");
    // A single click does nothing.
    for (LPARAM mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN})
        EXPECT_EQ(::SendMessageA(dlg->m_hWnd, WM_TRAY_NOTIFY, 1, mouse), 0);
    EXPECT_FALSE(dlg->IsWindowVisible());
    EXPECT_FALSE(Enabled(IDC_BROADCAST_ADDRESS));

    // Twice: reopening an open window enables and empties again.
    for (int round = 0; round < 2; ++round) {
        ::SendMessageA(dlg->m_hWnd, WM_TRAY_NOTIFY, 1, WM_LBUTTONDBLCLK);
        EXPECT_TRUE(dlg->IsWindowVisible());
        EXPECT_EQ(dlg->GetItemText(IDC_LAST_COMMAND), "");
        EXPECT_TRUE(Enabled(IDC_BROADCAST_ADDRESS));
        EXPECT_TRUE(Enabled(IDC_KEYB_SETUP));   // keyboards in use
        EXPECT_FALSE(Enabled(IDC_MOUSE_SETUP)); // mice forced off
        EXPECT_EQ(::GetFocus(), dlg->GetDlgItem(IDC_BROADCAST_ADDRESS));
        dlg->SetItemText(IDC_LAST_COMMAND, "AUXKEYB/1/0/0");
    }

    ::SendMessageA(dlg->m_hWnd, WM_COMMAND, ID_TRAY_CMDLINE, 0);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], LoadResourceString(IDS_USAGE));
    EXPECT_EQ(boxes.types[0], static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
}

TEST_F(MainDialog, ControlsFollowTheDriverAndTheDevicesFound) {
    // The fake driver has two keyboards and one mouse.
    struct Case {
        bool present;
        bool keyboardBox, mouseBox, keyboardSetup;
    } cases[] = {{true, true, false, true}, {false, false, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.present ? "driver present" : "driver absent");
        g_driver = FakeDriverState{};
        g_driver.present = c.present;
        Start(kConfigured);
        dlg->ShowForEditing();
        EXPECT_EQ(Enabled(IDC_KEYB_USE_AUX), c.keyboardBox);
        EXPECT_EQ(Enabled(IDC_MOUSE_USE_AUX), c.mouseBox);
        EXPECT_EQ(Enabled(IDC_KEYB_SETUP), c.keyboardSetup);
        EXPECT_FALSE(Enabled(IDC_MOUSE_SETUP));
        for (int id : {IDC_KEYB_TEXTCMD, IDC_KEYB_MAIN_INDEX, IDC_MOUSE_TEXTCMD, IDC_MOUSE_MAIN_INDEX,
                       IDC_PORT, IDC_APPLICATION_ID, IDC_DESTINATION, IDC_BROADCAST_DEFAULT})
            EXPECT_TRUE(Enabled(id)) << id;
        // The forced flag is what gets saved.
        Click(IDOK);
        const std::string file = TempDir::Contents(iniPath);
        const std::string mice = file.substr(file.find("[Mouses]"));
        EXPECT_NE(mice.find("UseAux=0"), std::string::npos) << file;
        EXPECT_FALSE(dlg->IsWindowVisible());
        for (int id : {IDC_KEYB_USE_AUX, IDC_KEYB_SETUP, IDC_KEYB_TEXTCMD, IDC_PORT, IDC_MOUSE_MAIN_INDEX})
            EXPECT_FALSE(Enabled(id)) << id;
        dlg->OnExit();
        dlg.reset();
        Pump();
    }
}

TEST_F(MainDialog, AfterARefusedApplyCommandsCarryTheAcceptedValues) {
    Start(kConfigured);
    dlg->ShowForEditing();
    dlg->SetItemText(IDC_KEYB_TEXTCMD, "NEWCMD");
    dlg->SetItemText(IDC_DESTINATION, "RIG");
    dlg->SetItemText(IDC_BROADCAST_ADDRESS, "127.0.0.1");
    boxes.answer = IDNO;
    Click(IDC_APPLY);
    ASSERT_EQ(boxes.texts.size(), 1u);
    PostAux(dlg->m_hWnd, 2, 0, 200, 103);
    Pump();
    EXPECT_EQ(link.lines, std::vector<std::string>{R"(REMOTE: "REMOTE" "RIG" "NEWCMD/103/0/200" 1)"});
    EXPECT_EQ(link.calls.size(), 2u); // the link was not restarted
    EXPECT_EQ(TempDir::Contents(iniPath), kConfigured);
}

TEST_F(MainDialog, ExitDuringTheStartUpAboutBoxEndsCleanly) {
    DialogHooksRecord().duringAbout = [this] { ::SendMessageA(dlg->m_hWnd, WM_COMMAND, ID_TRAY_EXIT, 0); };
    EXPECT_FALSE(Build(kConfigured));
    EXPECT_TRUE(dlg->ExitRequested());
    EXPECT_EQ(dlg->m_hWnd, nullptr);
    EXPECT_EQ(g_driver.destroyed, 1);
    EXPECT_TRUE(Pump()); // the quit message is queued
}

// The tray menu's "Start when I sign in", on the Run value in the registry of the test prefix's user.
class SignInItem : public MainDialog {
protected:
    void SetUp() override {
        MainDialog::SetUp();
        registryRunValue.Remove();
    }
    void TearDown() override {
        MainDialog::TearDown();
        registryRunValue.Remove();
    }
    // Read apart from the adapter: RegGetValueA on the key a start at sign-in reads.
    static std::optional<std::string> RunValue() {
        char text[1024] = {};
        DWORD size = sizeof text;
        if (::RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "kvRemote",
                           RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
            return std::nullopt;
        return std::string(text);
    }
    bool Checked() {
        HMENU menu = dlg->LoadTrayMenu();
        const UINT state = ::GetMenuState(::GetSubMenu(menu, 0), ID_TRAY_SIGNIN, MF_BYCOMMAND);
        ::DestroyMenu(menu);
        return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
    }
    void Toggle() { ::SendMessageA(dlg->m_hWnd, WM_COMMAND, ID_TRAY_SIGNIN, 0); }
    // The arguments Windows gives the program the value starts.
    static std::vector<std::wstring> Arguments(const std::string& command) {
        const std::wstring wide(command.begin(), command.end());
        int count = 0;
        LPWSTR* args = ::CommandLineToArgvW(wide.c_str(), &count);
        std::vector<std::wstring> result(args, args + count);
        ::LocalFree(args);
        return result;
    }
};

TEST_F(SignInItem, ChecksWritesAndUncheckingDeletesTheValueWithTheProgramsOptions) {
    // A relative -a folder with a blank and a trailing backslash, as a start at sign-in needs it.
    signInCommand = SignInCommandWin32("sign in dir\\", "my.ini");
    char full[MAX_PATH] = {};
    ::GetFullPathNameA("sign in dir\\", MAX_PATH, full, nullptr);
    Start(kConfigured);
    EXPECT_FALSE(Checked());

    Toggle();
    const std::optional<std::string> written = RunValue();
    ASSERT_TRUE(written);
    EXPECT_EQ(written->find('"' + ProgramPathWin32() + "\" -a \""), 0u) << *written;
    const std::string exe = ProgramPathWin32(), dir = full;
    EXPECT_EQ(Arguments(*written),
              (std::vector<std::wstring>{std::wstring(exe.begin(), exe.end()), L"-a",
                                         std::wstring(dir.begin(), dir.end()), L"-i", L"my.ini"}));
    EXPECT_TRUE(Checked());
    EXPECT_TRUE(boxes.texts.empty());

    Toggle();
    EXPECT_FALSE(RunValue());
    EXPECT_FALSE(Checked());
}

TEST_F(SignInItem, AValueNamingAnotherProgramShowsUncheckedAndCheckingRewritesIt) {
    Start(kConfigured);
    ASSERT_TRUE(registryRunValue.Write("\"C:\\Old Place\\kvRemote.exe\" -i old.ini"));
    EXPECT_FALSE(Checked());
    Toggle();
    EXPECT_EQ(RunValue(), signInCommand);
    // The same program in other letter case, with other options, counts as this one.
    std::string upper = ProgramPathWin32();
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ASSERT_TRUE(registryRunValue.Write('"' + upper + "\" -a C:\\x"));
    EXPECT_TRUE(Checked());
}

TEST_F(SignInItem, AChangeThatCannotBeWrittenShowsTheErrorBox) {
    runValue = &refusingRunValue;
    Start(kConfigured);
    Toggle();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "The sign-in entry could not be changed.");
    EXPECT_EQ(boxes.types[0], static_cast<UINT>(MB_OK | MB_ICONERROR));
}

// Without a usable driver library the settings window's first opening says why; later ones do not.
TEST_F(MainDialog, TheDriverLibraryMessageComesAtTheFirstOpeningOnly) {
    driverLibraryMessage = "interception.dll was not found.";
    Start(kConfigured);
    EXPECT_TRUE(boxes.texts.empty()) << "nothing while the program stays in the tray";
    for (int round = 0; round < 2; ++round) {
        ::SendMessageA(dlg->m_hWnd, WM_TRAY_NOTIFY, 1, WM_LBUTTONDBLCLK);
        EXPECT_TRUE(dlg->IsWindowVisible());
    }
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], driverLibraryMessage);
    EXPECT_EQ(boxes.types[0], static_cast<UINT>(MB_OK | MB_ICONWARNING));
}

} // namespace
