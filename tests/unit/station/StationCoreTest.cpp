// The station core end to end over fakes: what an auxiliary key or button becomes on the REMOTE
// link and at the connections, and how every press that went out is ended exactly once.
#include "station/StationCore.h"
#include "capture/Stroke.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using Log = std::vector<std::string>;

std::string Line(const std::string& command) {
    return "line REMOTE: \"REMOTE\" \"\" \"" + command + "\" 1";
}

// The link and the window: only the lines are recorded.
struct FakeLink : RemoteSenderHost {
    explicit FakeLink(Log& log) : log(log) {}
    Log& log;
    void SetLastCommandText(std::string_view) override {}
    bool IsMainWindowForeground() override { return true; }
    void FlashTitle(std::string_view) override {}
    void SendLine(std::string_view line) override { log.push_back("line " + std::string(line)); }
    uint32_t TickCount() override { return 0; }
    void StartAnimation(uint32_t) override {}
};

struct FakeHub : ConnectionsHub {
    explicit FakeHub(Log& log) : log(log) {}
    Log& log;
    bool on = false;
    std::vector<ConnectionStatus> statuses;
    void SetNotifyWindow(std::uintptr_t) override {}
    void Start(std::vector<HubConnection> connections) override {
        on = !connections.empty();
        log.push_back("start " + std::to_string(connections.size()));
    }
    bool AnyOn() const override { return on; }
    void Post(const DestinationEvent& e) override {
        const char* kinds[] = {"press", "release", "wheel"};
        log.push_back(std::string(kinds[static_cast<int>(e.kind)]) +
                      (e.deviceClass == DEVICE_CLASS_MICE ? " M" : " K") + std::to_string(e.index) + " " +
                      std::to_string(e.kind == DestinationEventKind::Wheel ? e.delta : e.code));
    }
    void SetExposure(const std::vector<ExposedDevice>& devices) override {
        std::string text = "exposure";
        for (const ExposedDevice& d : devices)
            text += (d.deviceClass == DEVICE_CLASS_MICE ? " M" : " K") + std::to_string(d.index);
        log.push_back(text);
    }
    void Goodbye(MonoMs boundMs) override { log.push_back("goodbye " + std::to_string(boundMs)); }
    std::vector<std::size_t> TakeNews() override { return {}; }
    const std::vector<ConnectionStatus>& Statuses() const override { return statuses; }
};

struct FakeCapture : StationCapture {
    explicit FakeCapture(Log& log) : log(log) {}
    Log& log;
    std::set<int> held;
    bool running = true;
    bool Holds(int device) const override { return held.count(device) != 0; }
    bool Running() const override { return running; }
    void SetReleaseReports(bool on) override { log.push_back(on ? "reports on" : "reports off"); }
};

// A keyboard stroke as capture posts it: the key named, as it is while releases are reported.
AuxInput Key(int device, int index, int scan, int code, bool release = false) {
    const AuxInputParams p = PackAuxInput(device, 0, index, static_cast<std::uint16_t>(release ? 0 : code));
    return UnpackAuxInput(p.wParam, p.lParam | AuxKeyBits(scan, release));
}

AuxInput Mouse(int device, int index, std::uint16_t buttons, std::int16_t delta = 0) {
    const AuxInputParams p = PackAuxInput(device, static_cast<std::uint16_t>(delta), index, buttons);
    return UnpackAuxInput(p.wParam, p.lParam);
}

TEST(StationCore, EveryPressReachesEachDestinationAndEndsOnceWhateverEndsIt) {
    Log log;
    FakeLink link(log);
    FakeHub hub(log);
    FakeCapture capture(log);
    SettingsValues values;
    values.keyboards.useAux = values.mouses.useAux = true;
    values.keyboards.releaseTextCmd = "AUXUP";
    DeviceTable table;
    table[2].hardwareId = "HID\\KEYPAD_A";
    table[2].index = 5;
    table[3].hardwareId = "HID\\KEYPAD_B";
    table[3].index = 6;
    table[12].hardwareId = "HID\\MOUSE";
    table[12].index = 7;
    capture.held = {2, 3, 12};
    StationCore core(values, table, link, hub, capture);
    const ClassFlags wanted{true, true};

    std::vector<HubConnection> connections(1);
    connections[0].target.host = "127.0.0.1";
    core.StartConnections(std::move(connections), wanted);
    EXPECT_THAT(log, ElementsAre("start 1", "exposure K5 K6 M7", "reports on"));

    // A key, its repeat and its release: one press and one release at the connections.
    log.clear();
    core.OnAuxInput(Key(2, 5, 0x47, 103), DEVICE_CLASS_KEYBOARDS);
    core.OnAuxInput(Key(2, 5, 0x47, 103), DEVICE_CLASS_KEYBOARDS);
    core.OnAuxInput(Key(2, 5, 0x47, 0, true), DEVICE_CLASS_KEYBOARDS);
    core.OnAuxInput(Mouse(12, 7, kMouseLeftDown), DEVICE_CLASS_MICE);
    core.OnAuxInput(Mouse(12, 7, kMouseLeftUp), DEVICE_CLASS_MICE);
    core.OnAuxInput(Mouse(12, 7, kMouseWheel, -120), DEVICE_CLASS_MICE);
    EXPECT_THAT(log, ElementsAre(Line("AUXKEYB/103/0/5"), "press K5 103", Line("AUXKEYB/103/0/5"),
                                 Line("AUXUP/103/0/5"), "release K5 103", Line("AUXMOUSE/1/0/7"),
                                 "press M7 0", Line("AUXMOUSE/2/0/7"), "release M7 0",
                                 Line("AUXMOUSE/1024/-120/7"), "wheel M7 -120"));

    // Apply forces every release; the key's physical release then sends nothing.
    log.clear();
    core.OnAuxInput(Key(2, 5, 0x48, 104), DEVICE_CLASS_KEYBOARDS);
    core.ForceReleases();
    core.OnAuxInput(Key(2, 5, 0x48, 0, true), DEVICE_CLASS_KEYBOARDS);
    EXPECT_THAT(
        log, ElementsAre(Line("AUXKEYB/104/0/5"), "press K5 104", Line("AUXUP/104/0/5"), "release K5 104"));

    // Keypad B unplugged while both hold a key: only its key ends, and it is no longer shown.
    log.clear();
    core.OnAuxInput(Key(2, 5, 0x49, 105), DEVICE_CLASS_KEYBOARDS);
    core.OnAuxInput(Key(3, 6, 0x4B, 100), DEVICE_CLASS_KEYBOARDS);
    table[3].hardwareId.clear();
    table[3].index = -1;
    capture.held.erase(3);
    core.ForceReleases(3);
    core.UpdateExposure(wanted);
    EXPECT_THAT(log, ElementsAre(Line("AUXKEYB/105/0/5"), "press K5 105", Line("AUXKEYB/100/0/6"),
                                 "press K6 100", Line("AUXUP/100/0/6"), "release K6 100", "exposure K5 M7"));

    // A press taken just before its device was let go ends at once: no release will be reported.
    log.clear();
    capture.held.erase(12);
    core.OnAuxInput(Mouse(12, 7, kMouseRightDown), DEVICE_CLASS_MICE);
    EXPECT_THAT(log, ElementsAre(Line("AUXMOUSE/4/0/7"), "press M7 0", "release M7 0"));

    // The stop: capture ended, what it had posted is handled, then the releases still owed (key
    // 105 and the drained press), and the goodbye last, within what is left of the bound.
    log.clear();
    core.BeginStop();
    capture.held.clear();
    capture.running = false;
    core.OnAuxInput(Key(2, 5, 0x4C, 101), DEVICE_CLASS_KEYBOARDS);
    core.FinishStop(500, 2000);
    EXPECT_THAT(log, ElementsAre(Line("AUXKEYB/101/0/5"), "press K5 101", Line("AUXUP/105/0/5"),
                                 "release K5 105", Line("AUXUP/101/0/5"), "release K5 101", "goodbye 1500"));
    log.clear();
    core.FinishStop(2500, 2000);
    EXPECT_THAT(log, ElementsAre("goodbye 0")) << "a bound spent already leaves nothing to wait";
}

} // namespace
