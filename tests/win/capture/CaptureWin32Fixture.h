#pragma once
// The program's capture side as it runs on Windows: CaptureController with the Win32 thread
// starter, the PostMessageA sink and MapVirtualKeyA, over the simulated interception.dll. The
// fixture prepares the driver's devices, a free injection port and a record file before the
// context is made, owns two hidden message windows (main and setup target), injects strokes over
// the loopback socket and reads back what the driver recorded.
#include <winsock2.h> // before windows.h

#include "SimInjector.h"
#include "settings/IniProfileStore.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "capture/CaptureController.h"
#include "capture/CaptureWin32.h"
#include "capture/InterceptionDriver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <vector>

// The devices every test sees: keyboard 1 and mouse 11 are main devices, keyboard 3 (index 5)
// and mouse 12 (index 2) auxiliary ones, their indexes restored from the configuration file.
constexpr int kMainKeyboard = 1, kAuxKeyboard = 3, kMainMouse = 11, kAuxMouse = 12;
constexpr int kAuxKeyboardIndex = 5, kAuxMouseIndex = 2;

// Notes the capture thread's priority on its first post, then posts for real.
class PriorityNotingSink : public AuxInputSink {
public:
    void Post(std::uintptr_t target, std::uint32_t wParam, std::int32_t lParam) override;
    std::atomic<int> priority{THREAD_PRIORITY_ERROR_RETURN};

private:
    AuxInputSinkWin32 inner_;
};

struct PostedInput {
    std::uint32_t wParam;
    std::int32_t lParam;
    bool operator==(const PostedInput&) const = default;
};

class CaptureWin32Test : public ::testing::Test {
    // Declared first: the controller below uses them and must go before them.
    static std::string TempFile(const char* stem);
    ThreadStarterWin32 threads_;
    std::string devicesPath_{TempFile("kvcap-devices-")}, logPath_{TempFile("kvcap-log-")},
        iniPath_{TempFile("kvcap-ini-")};
    IniProfileStore store_{iniPath_};
    SettingNames names_;
    Settings settings_{store_, names_};

protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // StartCapture on the main window; the driver's context must exist and listen.
    void Start();

    void Inject(const std::string& lines); // one datagram, no answer
    std::string Ask(const std::string& line);
    // Injects the lines in datagrams of a bounded size, waiting for each to be handled.
    void InjectAll(const std::vector<std::string>& lines);
    // Returns once every stroke injected so far has been handled by the capture thread: a marker
    // stroke of the main keyboard (E1 release, never posted) is injected and must come back, either
    // re-injected or passed to the system.
    void Settle();

    // The whole record of this test's driver context, marker strokes left out.
    std::vector<std::string> Record() const;
    // Record lines starting with prefix ("send ", "system ", "filter "), in order.
    std::vector<std::string> RecordLines(const std::string& prefix) const;
    // Removes the WM_AUX_INPUT messages queued for window, at most limit of them.
    std::vector<PostedInput> Drain(HWND window, std::size_t limit = 10000);

    HWND mainWindow = nullptr;
    HWND setupWindow = nullptr;
    PriorityNotingSink sink;
    DeviceTable table;
    CaptureController controller{InterceptionDriver(), table, sink, threads_, CaptureServicesWin32()};

private:
    std::vector<std::string> RawRecord() const;

    std::optional<SimInjector> injector_;
    int markers_ = 0;
};

// What the capture thread posts for one event: index in bits 24-31, device number in 16-23, the
// modifier flags or wheel pattern in 0-15; lParam the code, with bit 16 set for a main device.
constexpr PostedInput Expected(int device, int index, std::uint16_t low, std::int32_t code) {
    const bool main = index < 0;
    const std::uint32_t w =
        (static_cast<std::uint32_t>(index & 0xFF) << 24) | (static_cast<std::uint32_t>(device) << 16) | low;
    return {w, main ? (code | 0x10000) : code};
}
