#include "FakeDriver.h"
#include "app/ProfileStore.h"
#include "app/Settings.h"
#include "capture/AuxInputMessage.h"
#include "capture/CaptureController.h"
#include "capture/KeyTranslation.h"
#include <gtest/gtest.h>
#include <atomic>
#include <cstring>

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
    bool DeleteKey(std::string_view, std::string_view) override { return true; }
    bool DeleteSection(std::string_view) override { return true; }
};

std::atomic<std::uint32_t> gTicks{1000};
std::uint32_t Ticks() {
    return gTicks.load();
}

constexpr std::uintptr_t kMainWindow = 0x1000;
constexpr std::uintptr_t kSetupWindow = 0x2000;

bool SameStroke(const Stroke& a, const Stroke& b) {
    return std::memcmp(a.bytes, b.bytes, sizeof a.bytes) == 0;
}

class CaptureThread : public ::testing::Test {
protected:
    void SetUp() override {
        fake_driver::Reset();
        names.Fill();
        for (int d = 1; d <= 20; ++d) {
            fake_driver::SetHardwareId(d, u"HID\\DEV");
        }
        gTicks = 1000;
    }
    void TearDown() override { controller.StopCapture(); }

    // Starts capture and sets the indexes the test wants (the empty store restores nothing).
    void Start(std::initializer_list<std::pair<int, int>> indexes) {
        controller.StartCapture(kMainWindow, settings);
        for (auto [device, index] : indexes) {
            table[device].index = index;
        }
    }
    // Waits until the loop has handled every stroke queued so far: a marker stroke of a main
    // keyboard, which no table posts (E1 release), is queued last and must come back.
    void Settle() {
        ++markers_;
        fake_driver::Inject(kMarkerDevice, KeyStroke(0x7F, 5));
        ASSERT_TRUE(WaitUntil([&] {
            int seen = 0;
            for (const SentStroke& s : fake_driver::Sent()) {
                seen += s.device == kMarkerDevice ? 1 : 0;
            }
            return seen == markers_;
        }));
    }
    std::vector<SentStroke> SentWithoutMarkers() {
        std::vector<SentStroke> out;
        for (const SentStroke& s : fake_driver::Sent()) {
            if (s.device != kMarkerDevice) {
                out.push_back(s);
            }
        }
        return out;
    }

    static constexpr int kMarkerDevice = 10; // a main keyboard in every test
    int markers_ = 0;

    EmptyStore store;
    SettingNames names;
    Settings settings{store, names};
    DeviceTable table;
    RecordingSink sink;
    StdThreadStarter threads;
    CaptureController controller{fake_driver::Api(), table, sink, threads,
                                 CaptureServices{UsScanCodeToVirtualKey, Ticks, NarrowLatin1}};
};

TEST_F(CaptureThread, MainStrokesGoBackUnchangedAndInOrder) {
    Start({});
    ASSERT_TRUE(controller.ThreadRunning());
    std::vector<SentStroke> injected;
    for (int i = 0; i < 20; ++i) {
        Stroke s = i % 2 ? MouseStroke(static_cast<std::uint16_t>(i), static_cast<std::int16_t>(-i))
                         : KeyStroke(0x1E, 1);
        for (int b = 6; b < 20; ++b) {
            s.bytes[b] = static_cast<std::uint8_t>(i * 20 + b); // bytes nobody reads travel unchanged
        }
        const int device = i % 2 ? 11 + i % 10 : 1 + i % 9;
        injected.push_back({device, s});
        fake_driver::Inject(device, s);
    }
    fake_driver::Inject(2, KeyStroke(0x1E, 0), 0); // a receive that reads nothing acts on nothing
    Settle();
    const auto sent = SentWithoutMarkers();
    ASSERT_EQ(sent.size(), injected.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].device, injected[i].device) << i;
        EXPECT_TRUE(SameStroke(sent[i].stroke, injected[i].stroke)) << i;
    }
    EXPECT_TRUE(sink.Posts().empty());
}

TEST_F(CaptureThread, AuxiliaryStrokesAreSwallowedAndPosted) {
    Start({{3, 5}, {4, 200}, {12, 2}});
    fake_driver::Inject(1, KeyStroke(0x2A, 0)); // Shift on the main keyboard is not seen
    fake_driver::Inject(4, KeyStroke(0x1D, 0)); // left Ctrl on another auxiliary keyboard
    fake_driver::Inject(3, KeyStroke(0x47, 0)); // keypad 7
    fake_driver::Inject(3, KeyStroke(0x47, 1)); // its release: consumed
    fake_driver::Inject(4, KeyStroke(0x3A, 0)); // Caps Lock: consumed
    fake_driver::Inject(12, MouseStroke(kMouseWheel, -120));
    fake_driver::Inject(12, MouseStroke(0));                                // move
    fake_driver::Inject(12, MouseStroke(kMouseLeftDown | kMouseRightDown)); // two transitions
    fake_driver::Inject(12, MouseStroke(kMouseLeftDown));
    Settle();
    const auto posts = sink.Posts();
    ASSERT_EQ(posts.size(), 3u);
    EXPECT_EQ(posts[0].target, kMainWindow);
    EXPECT_EQ(posts[0].in.device, 3);
    EXPECT_EQ(posts[0].in.value, AUXMOD_CTRL);
    EXPECT_EQ(posts[0].in.index, 5);
    EXPECT_EQ(posts[0].in.code, 103);
    EXPECT_EQ(posts[1].in.device, 12);
    EXPECT_EQ(posts[1].in.value, -120);
    EXPECT_EQ(posts[1].in.code, 1024);
    EXPECT_EQ(posts[2].in.code, 1);
    EXPECT_EQ(posts[2].in.value, 0);
    EXPECT_EQ(posts[2].in.index, 2);
    const auto sent = SentWithoutMarkers();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].device, 1);

    table[1].index = 128; // the setup dialog's OK makes the main keyboard auxiliary while running
    fake_driver::Inject(1, KeyStroke(0x1E, 0));
    Settle();
    ASSERT_EQ(sink.Posts().size(), 4u);
    EXPECT_FALSE(sink.Posts()[3].in.mainMark);
    EXPECT_EQ(sink.Posts()[3].in.index, 128);
    EXPECT_EQ(sink.Posts()[3].in.value, AUXMOD_CTRL)
        << "Ctrl of keyboard 4 still held, no Shift of the main one";
}

TEST_F(CaptureThread, KeypadZeroPostsOncePerHundredMilliseconds) {
    Start({{3, 1}});
    fake_driver::Inject(3, KeyStroke(0x52, 0));
    fake_driver::Inject(3, KeyStroke(0x52, 0));
    fake_driver::Inject(3, KeyStroke(0x52, 2)); // Insert: not gated
    Settle();
    gTicks = 1099;
    fake_driver::Inject(3, KeyStroke(0x52, 0));
    Settle();
    gTicks = 1100;
    fake_driver::Inject(3, KeyStroke(0x52, 0));
    Settle();
    std::vector<std::int32_t> codes;
    for (const Posted& p : sink.Posts()) {
        codes.push_back(p.in.code);
    }
    EXPECT_EQ(codes, (std::vector<std::int32_t>{96, 45, 96}));
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
    const auto sent = SentWithoutMarkers();
    ASSERT_EQ(sent.size(), strokes.size() + 1);
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        EXPECT_TRUE(SameStroke(sent[i].stroke, strokes[i])) << i;
    }
    const auto posts = sink.Posts();
    ASSERT_EQ(posts.size(), 3u); // A, keypad 0 once, B: the tables still decide what is posted
    EXPECT_EQ(posts[0].target, kSetupWindow);
    EXPECT_TRUE(posts[0].in.mainMark);
    EXPECT_EQ(posts[0].in.device, 1);
    EXPECT_EQ(posts[1].in.code, 96);
    EXPECT_EQ(posts[2].in.device, 3);
    EXPECT_EQ(posts[2].in.index, 5);
    EXPECT_EQ(posts[2].in.value, AUXMOD_SHIFT | AUXMOD_CTRL | AUXMOD_ALT);

    controller.LeaveSetupMode();
    fake_driver::Inject(3, KeyStroke(0x30, 1));
    fake_driver::Inject(3, KeyStroke(0x30, 0));
    Settle();
    ASSERT_EQ(sink.Posts().size(), 4u);
    EXPECT_EQ(sink.Posts()[3].target, kMainWindow);
    EXPECT_EQ(sink.Posts()[3].in.value, 0) << "flags cleared when the filters were set";
    EXPECT_EQ(SentWithoutMarkers().size(), strokes.size() + 1) << "auxiliary strokes swallowed again";

    const auto filters = fake_driver::Filters();
    ASSERT_EQ(filters.size(), 4u);
    EXPECT_EQ(filters[0].deviceClass, 'K');
    EXPECT_EQ(filters[0].filter, 15);
    EXPECT_EQ(filters[1].deviceClass, 'M');
    EXPECT_EQ(filters[1].filter, 0);
    EXPECT_EQ(filters[2].filter, 0);
    EXPECT_EQ(filters[3].filter, 0);
}

TEST_F(CaptureThread, MouseSetupModeReinjectsMovesAndPostsSingleEvents) {
    Start({{12, 2}});
    controller.EnterSetupMode(DEVICE_CLASS_MICE, kSetupWindow);
    fake_driver::Inject(11, MouseStroke(0));
    fake_driver::Inject(11, MouseStroke(kMouseRightUp));
    fake_driver::Inject(12, MouseStroke(0));
    fake_driver::Inject(12, MouseStroke(kMouseButton4Down));
    Settle();
    EXPECT_EQ(SentWithoutMarkers().size(), 4u);
    ASSERT_EQ(sink.Posts().size(), 1u);
    EXPECT_EQ(sink.Posts()[0].in.code, kMouseRightUp);
    EXPECT_TRUE(sink.Posts()[0].in.mainMark);
    const auto filters = fake_driver::Filters();
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].filter, 0);
    EXPECT_EQ(filters[1].filter, kMouseFilterCaptured);
}

TEST_F(CaptureThread, ModifiersClearWhenTheFiltersAreSet) {
    Start({{3, 5}});
    fake_driver::Inject(3, KeyStroke(0x2A, 0)); // Shift held, its release lost with the old filters
    fake_driver::Inject(3, KeyStroke(0x1E, 0));
    Settle();
    controller.SetCaptureFilters(true, false);
    fake_driver::Inject(3, KeyStroke(0x1E, 0));
    Settle();
    const auto posts = sink.Posts();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(posts[0].in.value, AUXMOD_SHIFT);
    EXPECT_EQ(posts[1].in.value, 0);
}

TEST_F(CaptureThread, FailedReceiveEndsCaptureAndLeavesNoFilterOn) {
    Start({{3, 5}});
    controller.SetCaptureFilters(true, true);
    fake_driver::FailNextReceive();
    ASSERT_TRUE(WaitUntil([&] { return !controller.ThreadRunning(); }));
    auto filters = fake_driver::Filters();
    ASSERT_EQ(filters.size(), 4u);
    EXPECT_EQ(filters[2].filter, 0);
    EXPECT_EQ(filters[3].filter, 0);
    controller.SetCaptureFilters(true, true);
    controller.EnterSetupMode(DEVICE_CLASS_KEYBOARDS, kSetupWindow);
    controller.LeaveSetupMode();
    EXPECT_EQ(fake_driver::Filters().size(), 4u) << "an ended thread counts as no thread";
    EXPECT_TRUE(controller.HasContext());
    controller.StopCapture();
    EXPECT_FALSE(controller.HasContext());
    EXPECT_EQ(fake_driver::Destroyed(), 1);
}

TEST_F(CaptureThread, StopEndsTheThreadPromptlyEvenRightAfterStart) {
    for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        controller.StartCapture(kMainWindow, settings);
        ASSERT_TRUE(controller.ThreadRunning());
        controller.StopCapture();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_FALSE(controller.HasContext());
        EXPECT_FALSE(controller.ThreadRunning());
    }
    EXPECT_EQ(fake_driver::Destroyed(), 5);
}

TEST_F(CaptureThread, WithoutDriverNothingStartsAndNothingIsSet) {
    fake_driver::Reset(false);
    table[3].index = 5;
    controller.StartCapture(kMainWindow, settings);
    EXPECT_FALSE(controller.HasContext());
    EXPECT_FALSE(controller.ThreadRunning());
    EXPECT_EQ(table[3].index, 5) << "the table is not loaded";
    controller.SetCaptureFilters(true, true);
    controller.EnterSetupMode(DEVICE_CLASS_MICE, kSetupWindow);
    controller.LeaveSetupMode();
    controller.StopCapture();
    EXPECT_TRUE(fake_driver::Filters().empty());
    EXPECT_EQ(fake_driver::Destroyed(), 0);
}

} // namespace
