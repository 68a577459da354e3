#include "FakeDriver.h"
#include "settings/ProfileStore.h"
#include "settings/Settings.h"
#include "capture/AuxInputMessage.h"
#include "capture/CaptureController.h"
#include "capture/KeyTranslation.h"
#include <gtest/gtest.h>
#include <cstring>
#include <mutex>

namespace {

struct Posted {
    std::uintptr_t target;
    AuxInput in;
};

class RecordingSink : public AuxInputSink {
public:
    void Post(std::uintptr_t target, std::uint32_t wParam, std::int32_t lParam) override {
        std::lock_guard lock(mutex_);
        posts_.push_back({target, UnpackAuxInput(wParam, lParam)});
    }
    std::vector<Posted> Posts() {
        std::lock_guard lock(mutex_);
        return posts_;
    }

private:
    std::mutex mutex_;
    std::vector<Posted> posts_;
};

class EmptyStore : public ProfileStore {
public:
    std::string Read(std::string_view, std::string_view, std::string_view d) override {
        return std::string(d);
    }
    bool Write(std::string_view, std::string_view, std::string_view) override { return true; }
    std::vector<std::string> KeyNames(std::string_view) override { return {}; }
    bool DeleteKey(std::string_view, std::string_view) override { return true; }
    bool DeleteSection(std::string_view) override { return true; }
};

// The tick count of the machine: a wait's time-out must be told from a wait that returns at once.
std::uint32_t Ticks() {
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

void Pause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

constexpr std::uint32_t Bit(int device) {
    return std::uint32_t{1} << device;
}
constexpr std::uint32_t kKeyboardBits = 0x7FE, kMouseBits = 0x1FF800;

// What Windows has down, as the test says.
WindowsKeys gWindowsKeys;
void ReadTestWindowsKeys(WindowsKeys& keys) {
    keys = gWindowsKeys;
}

constexpr std::uintptr_t kMainWindow = 0x1000, kSetupWindow = 0x2000;
constexpr int kMarkerDevice = 10; // a main keyboard in every test

bool Same(const Stroke& a, const Stroke& b) {
    return std::memcmp(a.bytes, b.bytes, sizeof a.bytes) == 0;
}

class CaptureThread : public ::testing::Test {
protected:
    void SetUp() override {
        fake_driver::Reset();
        names.Fill();
        gWindowsKeys = {};
    }
    void TearDown() override { controller.StopCapture(); }

    void Start(std::initializer_list<std::pair<int, int>> indexes) {
        controller.StartCapture(kMainWindow, settings);
        for (auto [device, index] : indexes) {
            table[device].index = index; // as the setup dialog's OK does, while the thread runs
        }
    }
    // Waits until every stroke queued so far is handled: a marker of a main keyboard that no table
    // posts (E1 release) is queued last and must come back.
    void Settle() {
        ++markers_;
        fake_driver::Inject(kMarkerDevice, KeyStroke(0x7F, 5));
        ASSERT_TRUE(WaitUntil(
            [&] { return static_cast<int>(fake_driver::Sent().size() - Sent().size()) == markers_; }));
    }
    std::vector<SentStroke> Sent() {
        std::vector<SentStroke> out;
        for (const SentStroke& s : fake_driver::Sent()) {
            if (s.device != kMarkerDevice) {
                out.push_back(s);
            }
        }
        return out;
    }

    int markers_ = 0;
    EmptyStore store;
    SettingNames names;
    Settings settings{store, names};
    DeviceTable table;
    RecordingSink sink;
    StdThreadStarter threads;
    CaptureController controller{
        fake_driver::Api(), table, sink, threads,
        CaptureServices{UsScanCodeToVirtualKey, Ticks, NarrowLatin1, Pause, ReadTestWindowsKeys}};
};

TEST_F(CaptureThread, MainStrokesGoBackUnchangedAndInOrder) {
    Start({});
    std::vector<SentStroke> injected;
    for (int i = 0; i < 10; ++i) {
        Stroke s = i % 2 ? MouseStroke(static_cast<std::uint16_t>(i), -120) : KeyStroke(0x1E, 1);
        s.bytes[6 + i] = static_cast<std::uint8_t>(i + 1); // bytes nobody reads travel unchanged
        injected.push_back({i % 2 ? 11 + i : 1 + i, s});
        fake_driver::Inject(injected.back().device, s);
    }
    fake_driver::Inject(2, KeyStroke(0x1E, 0), 0); // a receive that reads nothing acts on nothing
    Settle();
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), injected.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].device, injected[i].device) << i;
        EXPECT_TRUE(Same(sent[i].stroke, injected[i].stroke)) << i;
    }
    EXPECT_TRUE(sink.Posts().empty());
}

TEST_F(CaptureThread, AuxiliaryStrokesAreSwallowedAndPosted) {
    Start({{3, 5}, {4, 200}, {12, 2}});
    fake_driver::Inject(1, KeyStroke(0x2A, 0)); // Shift on the main keyboard is not seen
    fake_driver::Inject(4, KeyStroke(0x1D, 0)); // left Ctrl on another auxiliary keyboard
    fake_driver::Inject(3, KeyStroke(0x47, 0)); // keypad 7
    fake_driver::Inject(3, KeyStroke(0x47, 1)); // its release, and Caps Lock: consumed
    fake_driver::Inject(4, KeyStroke(0x3A, 0));
    fake_driver::Inject(12, MouseStroke(kMouseWheel, -120));
    fake_driver::Inject(12, MouseStroke(0)); // a move and two transitions at once: swallowed only
    fake_driver::Inject(12, MouseStroke(kMouseLeftDown | kMouseRightDown));
    fake_driver::Inject(12, MouseStroke(kMouseLeftDown));
    Settle();
    table[1].index = 128;
    fake_driver::Inject(1, KeyStroke(0x1E, 0));
    Settle();
    const auto p = sink.Posts();
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0].target, kMainWindow);
    EXPECT_EQ((std::vector<int>{p[0].in.device, p[0].in.value, p[0].in.index, p[0].in.code}),
              (std::vector<int>{3, AUXMOD_CTRL, 5, 103}));
    EXPECT_EQ((std::vector<int>{p[1].in.device, p[1].in.value, p[1].in.index, p[1].in.code}),
              (std::vector<int>{12, -120, 2, 1024}));
    EXPECT_EQ(p[2].in.code, kMouseLeftDown);
    EXPECT_EQ(p[2].in.value, 0);
    EXPECT_EQ(p[3].in.index, 128);
    EXPECT_FALSE(p[3].in.mainMark);
    EXPECT_EQ(p[3].in.value, AUXMOD_CTRL) << "Ctrl of keyboard 4 still held, no Shift of the main one";
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].device, 1);
}

TEST_F(CaptureThread, SetupModeReinjectsEveryStrokeOfTheClass) {
    Start({{3, 5}});
    controller.EnterSetupMode(DEVICE_CLASS_KEYBOARDS, kSetupWindow);
    const std::vector<Stroke> strokes = {KeyStroke(0x1E, 0), KeyStroke(0x1E, 1), KeyStroke(0x2A, 0),
                                         KeyStroke(0x1D, 0), KeyStroke(0x38, 0), KeyStroke(0x3A, 0),
                                         KeyStroke(0x52, 0), KeyStroke(0x52, 0)};
    for (const Stroke& s : strokes) {
        fake_driver::Inject(1, s);
    }
    fake_driver::Inject(3, KeyStroke(0x30, 0));
    Settle();
    auto sent = Sent();
    ASSERT_EQ(sent.size(), strokes.size() + 1);
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        EXPECT_TRUE(Same(sent[i].stroke, strokes[i])) << i;
    }
    auto p = sink.Posts();
    ASSERT_EQ(p.size(), 3u); // A, keypad 0 once, B: the tables still decide what is posted
    EXPECT_EQ(p[0].target, kSetupWindow);
    EXPECT_TRUE(p[0].in.mainMark);
    EXPECT_EQ(p[1].in.code, 96);
    EXPECT_EQ(p[2].in.index, 5);
    EXPECT_EQ(p[2].in.value, AUXMOD_SHIFT | AUXMOD_CTRL | AUXMOD_ALT);

    controller.LeaveSetupMode();
    fake_driver::Inject(3, KeyStroke(0x30, 1)); // its press went to the system: so does its release
    fake_driver::Inject(3, KeyStroke(0x30, 0));
    Settle();
    p = sink.Posts();
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[3].target, kMainWindow);
    EXPECT_EQ(p[3].in.value, 0) << "flags cleared when the filters were set";
    EXPECT_EQ(Sent().size(), strokes.size() + 2) << "auxiliary presses are swallowed again";
    // Setup holds every keyboard, present or not; leaving it releases them, and nothing else is called.
    EXPECT_EQ(fake_driver::FilterCalls(),
              (std::vector<FilterCall>{{kMouseBits, 0}, {kKeyboardBits, 15}, {kKeyboardBits, 0}}));

    controller.EnterSetupMode(DEVICE_CLASS_MICE, kSetupWindow);
    fake_driver::Inject(11, MouseStroke(0)); // every mouse moves the pointer, single events are posted
    fake_driver::Inject(11, MouseStroke(kMouseRightUp));
    fake_driver::Inject(12, MouseStroke(kMouseButton4Down));
    Settle();
    EXPECT_EQ(Sent().size(), strokes.size() + 5);
    ASSERT_EQ(sink.Posts().size(), 5u);
    EXPECT_EQ(sink.Posts()[4].in.code, kMouseRightUp);
    EXPECT_EQ(fake_driver::FilterCalls().back(), (FilterCall{kMouseBits, kMouseFilterCaptured}));
    EXPECT_EQ(fake_driver::FilterCalls().size(), 4u);
}

TEST_F(CaptureThread, ModifiersClearWhenTheFiltersAreSetAndStayWhenTheirFilterStays) {
    Start({{3, 5}});
    fake_driver::Inject(3, KeyStroke(0x2A, 0)); // Shift held; its release is lost with the old filters
    fake_driver::Inject(3, KeyStroke(0x1E, 0));
    Settle();
    controller.SetCaptureFilters(true, false);
    fake_driver::Inject(3, KeyStroke(0x1E, 0));
    Settle();
    const auto p = sink.Posts();
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].in.value, AUXMOD_SHIFT);
    EXPECT_EQ(p[1].in.value, 0);
    // Only the keypad is held; every other number gets an explicit 0.
    EXPECT_EQ(fake_driver::FilterCalls(),
              (std::vector<FilterCall>{{(kKeyboardBits | kMouseBits) & ~Bit(3), 0}, {Bit(3), 15}}));

    // Apply again, the mice turned on: the keypad's filter does not change, nor does its Ctrl.
    fake_driver::Inject(3, KeyStroke(0x1D, 0));
    Settle();
    controller.SetCaptureFilters(true, true);
    fake_driver::Inject(3, KeyStroke(0x1E, 0));
    Settle();
    ASSERT_EQ(sink.Posts().size(), 3u);
    EXPECT_EQ(sink.Posts()[2].in.value, AUXMOD_CTRL);
}

TEST_F(CaptureThread, ReplugsAreFollowedAndModifiersGoWithTheirDevice) {
    fake_driver::SetHardwareId(1, u"MAIN");
    fake_driver::SetHardwareId(3, u"PAD");
    fake_driver::SetHardwareId(5, u"SHIFTER");
    Start({{3, 5}, {5, 6}});
    controller.SetCaptureFilters(true, false);
    const std::size_t calls = fake_driver::FilterCalls().size();
    EXPECT_TRUE(controller.RereadDevices().changed.empty());
    EXPECT_EQ(fake_driver::FilterCalls().size(), calls) << "a re-read that changes nothing calls nothing";

    // Shift held on the keypad that goes, Ctrl on the one that stays.
    fake_driver::Inject(3, KeyStroke(0x2A, 0));
    fake_driver::Inject(5, KeyStroke(0x1D, 0));
    Settle();
    fake_driver::SetHardwareId(3, u"");
    fake_driver::SetHardwareId(7, u"PAD");
    fake_driver::SetHardwareId(8, u"STRANGER");
    const DeviceChanges changes = controller.RereadDevices();
    EXPECT_EQ(changes.placement.followed, std::vector<int>{7});
    EXPECT_EQ(table[7].index, 5);
    EXPECT_EQ(fake_driver::FilterOf(7), 15);
    EXPECT_EQ(fake_driver::FilterOf(3), 0);
    EXPECT_EQ(fake_driver::FilterOf(8), 0);
    // Only the numbers that changed were covered.
    const auto all = fake_driver::FilterCalls();
    const std::vector<FilterCall> reread(all.begin() + static_cast<std::ptrdiff_t>(calls), all.end());
    EXPECT_EQ(reread, (std::vector<FilterCall>{{Bit(3) | Bit(8), 0}, {Bit(7), 15}}));

    fake_driver::Inject(7, KeyStroke(0x1E, 0));
    Settle();
    const auto p = sink.Posts();
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ((std::vector<int>{p[0].in.device, p[0].in.index, p[0].in.value}),
              (std::vector<int>{7, 5, AUXMOD_CTRL}))
        << "the Shift of the keypad that went is forgotten, the Ctrl of the one that stays is kept";
}

TEST_F(CaptureThread, AKeyGoesWhereItsPressWentWhateverHoldsTheKeypadNow) {
    Start({{3, 5}, {12, 2}});
    controller.EnterSetupMode(DEVICE_CLASS_KEYBOARDS, kSetupWindow);
    fake_driver::Inject(3, KeyStroke(0x48, 0)); // given back in setup mode
    Settle();
    controller.LeaveSetupMode();
    // Pressed while nothing held the keypad: Enter (the system saw it) and F24, which Windows has
    // down; a press consumed before is still down too.
    gWindowsKeys.SetKey(KeyOf(0x76, 0));
    controller.SetCaptureFilters(true, false);
    for (const Stroke& s : {KeyStroke(0x48, 0), KeyStroke(0x48, 1), KeyStroke(0x1C, 3), KeyStroke(0x76, 0),
                            KeyStroke(0x76, 1), KeyStroke(0x47, 0), KeyStroke(0x47, 1)})
        fake_driver::Inject(3, s);
    Settle();
    auto sent = Sent();
    ASSERT_EQ(sent.size(), 6u) << "all but keypad 7";
    EXPECT_TRUE(Same(sent[5].stroke, KeyStroke(0x76, 1)));
    ASSERT_EQ(sink.Posts().size(), 2u) << "the setup press and keypad 7";
    EXPECT_EQ(sink.Posts()[1].in.code, 103);

    // Held while the mouse is taken too, a consumed key stays consumed; F24 pressed again is captured.
    gWindowsKeys = {};
    fake_driver::Inject(3, KeyStroke(0x49, 0));
    Settle();
    controller.SetCaptureFilters(true, true);
    fake_driver::Inject(3, KeyStroke(0x49, 1));
    fake_driver::Inject(3, KeyStroke(0x76, 0));
    Settle();
    EXPECT_EQ(Sent().size(), 6u);
    EXPECT_EQ(sink.Posts().size(), 4u);

    // Consumed, then its release and a new press went to the system while nothing held the keypad:
    // Windows has it down when the keypad is held again, so its release goes back.
    controller.EnterSetupMode(DEVICE_CLASS_MICE, kSetupWindow);
    controller.LeaveSetupMode();
    gWindowsKeys.SetKey(KeyOf(0x76, 0));
    // Enter down on the main keyboard when the filters were set (it pressed OK), let go since: a
    // press on the keypad is captured once the stall check has seen it go.
    gWindowsKeys.SetKey(KeyOf(0x1C, 2));
    controller.SetCaptureFilters(true, false);
    fake_driver::Inject(3, KeyStroke(0x76, 1));
    Settle();
    gWindowsKeys = {};
    controller.FollowWindowsKeys();
    fake_driver::Inject(3, KeyStroke(0x1C, 2));
    Settle();
    sent = Sent();
    ASSERT_EQ(sent.size(), 7u);
    EXPECT_TRUE(Same(sent[6].stroke, KeyStroke(0x76, 1)));
    EXPECT_EQ(sink.Posts().size(), 5u) << "keypad Enter posted";
}

TEST_F(CaptureThread, AMouseStrokeGivesBackTheTransitionsOfButtonsTheSystemHasDownOnTheirOwn) {
    Start({{12, 2}});
    gWindowsKeys.buttons = 4; // the middle button, pressed before the mouse was held
    controller.SetCaptureFilters(false, true);
    // The left button went down before too; its up comes with a right down, a move and a wheel step.
    Stroke mixed = MouseStroke(kMouseLeftUp | kMouseRightDown | kMouseMiddleUp);
    mixed.SetU16(2, 1); // absolute
    mixed.bytes[8] = 40;
    mixed.bytes[12] = 30;
    mixed.bytes[16] = 0x5A;
    fake_driver::Inject(12, mixed);
    fake_driver::Inject(12, MouseStroke(kMouseRightUp));
    fake_driver::Inject(12, MouseStroke(kMouseMiddleDown));
    Settle();
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    Stroke alone{};
    alone.SetU16(0, kMouseLeftUp | kMouseMiddleUp);
    alone.bytes[16] = 0x5A;
    EXPECT_TRUE(Same(sent[0].stroke, alone)) << "no movement, no flags";
    const auto p = sink.Posts();
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0].in.code, kMouseRightDown) << "the rest is one transition";
    EXPECT_EQ(p[1].in.code, kMouseRightUp);
    EXPECT_EQ(p[2].in.code, kMouseMiddleDown) << "the middle button is the mouse's again";
}

TEST_F(CaptureThread, FakeShiftsAroundNavigationKeysAreConsumed) {
    Start({{3, 5}});
    for (const Stroke& s : {KeyStroke(0x2A, 2), KeyStroke(0x52, 2), KeyStroke(0x52, 3), KeyStroke(0x2A, 3),
                            KeyStroke(0x36, 2), KeyStroke(0x37, 2), KeyStroke(0x36, 3)})
        fake_driver::Inject(3, s);
    Settle();
    const auto p = sink.Posts();
    ASSERT_EQ(p.size(), 2u) << "Insert and PrintScreen, no line for their shifts";
    EXPECT_EQ(p[0].in.code, 45);
    EXPECT_EQ(p[0].in.value, 0);
    EXPECT_EQ(p[1].in.value, 0);
}

TEST_F(CaptureThread, StopGivesBackWhatTheDriverStillHolds) {
    Start({});
    controller.EnterSetupMode(DEVICE_CLASS_KEYBOARDS, kSetupWindow);
    constexpr int kStrokes = 200;
    for (int i = 0; i < kStrokes; ++i)
        fake_driver::Inject(1, KeyStroke(0x1E, static_cast<std::uint16_t>(i % 2)));
    controller.StopCapture();
    EXPECT_EQ(fake_driver::Sent().size(), static_cast<std::size_t>(kStrokes)) << "no key left down";
    EXPECT_EQ(fake_driver::FilterOf(1), 0);
}

TEST_F(CaptureThread, ADriverThatWakesForNothingEndsCaptureAndLeavesNoFilterOn) {
    Start({{3, 5}});
    controller.SetCaptureFilters(true, true);
    fake_driver::FailReceives(3);
    ASSERT_TRUE(WaitUntil([&] { return !controller.ThreadRunning(); }));
    EXPECT_TRUE(controller.CaptureStopped());
    controller.SetCaptureFilters(true, true);
    controller.EnterSetupMode(DEVICE_CLASS_KEYBOARDS, kSetupWindow);
    controller.LeaveSetupMode();
    EXPECT_EQ(
        fake_driver::FilterCalls(),
        (std::vector<FilterCall>{
            {(kKeyboardBits | kMouseBits) & ~Bit(3), 0}, {Bit(3), 15}, {kKeyboardBits, 0}, {kMouseBits, 0}}));
    EXPECT_TRUE(controller.HasContext());
    controller.StopCapture();
    EXPECT_FALSE(controller.HasContext());
    EXPECT_EQ(fake_driver::Destroyed(), 1);
}

TEST_F(CaptureThread, AWaitThatFailsAtOnceEndsCaptureInsteadOfSpinning) {
    Start({{3, 5}});
    controller.SetCaptureFilters(true, false);
    fake_driver::Inject(3, KeyStroke(0x47, 0), 0); // a lone empty read changes nothing
    Settle();
    EXPECT_TRUE(controller.ThreadRunning());
    fake_driver::FailWaits();
    ASSERT_TRUE(WaitUntil([&] { return !controller.ThreadRunning(); }));
    EXPECT_EQ(fake_driver::FilterOf(3), 0);
}

// The loop alone on the test's thread, with a clock that only its pauses move, a millisecond each.
std::uint32_t gNow = 0;
std::uint32_t TestNow() {
    return gNow;
}
void TestPause() {
    ++gNow;
}

TEST(CaptureLoopEmptyWakes, CaptureEndsAfterOneSecondOfWakesThatReadNothingEachOnePausing) {
    fake_driver::Reset();
    CaptureShared shared;
    shared.context.store(fake_driver::Api().create_context());
    DeviceTable table;
    RecordingSink sink;
    CaptureLoop loop(fake_driver::Api(), shared, table, sink, UsScanCodeToVirtualKey, TestNow, TestPause);
    const auto passUntil = [&](std::uint32_t until) {
        while (gNow < until)
            if (!loop.Pass())
                return false;
        return true;
    };

    // A lone empty read changes nothing.
    fake_driver::Inject(1, KeyStroke(0x1E, 0), 0);
    fake_driver::Inject(1, KeyStroke(0x1E, 0));
    ASSERT_TRUE(loop.Pass() && loop.Pass());
    EXPECT_EQ(gNow, 1u) << "one pause for the empty read";
    // Woken for nothing for 999 ms, then a stroke: the count starts afresh.
    fake_driver::FailReceives(1);
    ASSERT_TRUE(passUntil(gNow + 999));
    fake_driver::FailReceives(0);
    fake_driver::Inject(1, KeyStroke(0x1E, 1));
    ASSERT_TRUE(loop.Pass());
    EXPECT_EQ(fake_driver::Sent().size(), 2u);

    // A whole second of it ends capture, both filters cleared, without a pass more.
    fake_driver::FailReceives(1);
    const std::uint32_t start = gNow;
    EXPECT_FALSE(passUntil(start + 2000));
    EXPECT_EQ(gNow - start, CaptureLoop::kEmptyWakeMs);
    EXPECT_EQ(shared.ended.load(), 1);
    EXPECT_EQ(fake_driver::FilterCalls(), (std::vector<FilterCall>{{kKeyboardBits, 0}, {kMouseBits, 0}}));
}

TEST_F(CaptureThread, StopEndsTheThreadPromptlyEvenRightAfterStart) {
    for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        controller.StartCapture(kMainWindow, settings);
        ASSERT_TRUE(controller.ThreadRunning());
        controller.StopCapture();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_FALSE(controller.HasContext() || controller.ThreadRunning());
    }
    EXPECT_EQ(fake_driver::Destroyed(), 5);
}

TEST_F(CaptureThread, WithoutDriverNothingStartsAndNoFilterIsSet) {
    fake_driver::Reset(false);
    controller.StartCapture(kMainWindow, settings);
    EXPECT_FALSE(controller.HasContext() || controller.ThreadRunning());
    controller.SetCaptureFilters(true, true);
    controller.EnterSetupMode(DEVICE_CLASS_MICE, kSetupWindow);
    controller.LeaveSetupMode();
    controller.StopCapture();
    EXPECT_TRUE(fake_driver::FilterCalls().empty());
    EXPECT_EQ(fake_driver::Destroyed(), 0);
}

} // namespace
