// The capture side end to end on Windows: driver filters, the capture thread's priority, posts to
// a real window, strokes handed back to the system in order, setup mode, a failing driver and stop.
#include "CaptureWin32Fixture.h"
#include "capture/DeviceClass.h"
#include "capture/KeyTranslation.h"

#include <gmock/gmock.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <iterator>
#include <thread>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

std::string KeyLine(int device, unsigned scan, unsigned state) {
    char text[48];
    std::snprintf(text, sizeof text, "key %d 0x%02X %u", device, scan, state);
    return text;
}

std::string MouseLine(int device, unsigned state, int wheel) {
    return "mouse " + std::to_string(device) + " " + std::to_string(state) + " " + std::to_string(wheel);
}

// The last value each class's filter was set to, from the record.
struct FilterState {
    int keyboards = -1, mice = -1, changes = 0;
};

FilterState FiltersOf(const std::vector<std::string>& filterLines) {
    FilterState state;
    for (const std::string& line : filterLines) {
        int value = 0;
        if (std::sscanf(line.c_str(), "filter keyboards %d", &value) == 1) {
            state.keyboards = value;
        } else if (std::sscanf(line.c_str(), "filter mice %d", &value) == 1) {
            state.mice = value;
        }
        ++state.changes;
    }
    return state;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace

// MapVirtualKeyA as the capture side calls it, under the US keymap of the test display.
TEST(MapScanCodeWin32, GivesTheLayoutsVirtualKeys) {
    const struct {
        std::uint32_t scan, vk;
    } rows[] = {{0x47, 36}, {0x1E, 65}, {0x52, 45}, {0x1D, 17}, {0x2A, 16}};
    const CaptureServices services = CaptureServicesWin32();
    for (const auto& row : rows) {
        EXPECT_EQ(MapScanCodeWin32(row.scan), row.vk) << std::hex << row.scan;
        EXPECT_EQ(services.mapKey(row.scan), row.vk) << std::hex << row.scan;
    }
}

TEST_F(CaptureWin32Test, AuxiliaryEventsArePostedToTheMainWindowFromAHighPriorityThread) {
    Start();
    controller.SetCaptureFilters(true, true);
    InjectAll({
        KeyLine(kAuxKeyboard, 0x1D, 0),   // left Ctrl held
        KeyLine(kAuxKeyboard, 0x47, 0),   // keypad 7
        KeyLine(kAuxKeyboard, 0x47, 1),   // its release
        KeyLine(kAuxKeyboard, 0x1D, 1),   // Ctrl released
        KeyLine(kAuxKeyboard, 0x52, 0),   // keypad 0
        KeyLine(kAuxKeyboard, 0x52, 2),   // Insert (E0): not gated
        MouseLine(kAuxMouse, 1024, -120), // a wheel notch towards the user
        MouseLine(kAuxMouse, 0, 0),       // a move: swallowed, not posted
        MouseLine(kAuxMouse, 5, 0),       // two transitions at once: swallowed, not posted
        KeyLine(kMainKeyboard, 0x1E, 0),  // main devices are not held: straight to the system
        MouseLine(kMainMouse, 1, 0),      //
        MouseLine(kAuxMouse, 64, 0),      // button 4 is not held back: it reaches the system
    });
    Settle();

    EXPECT_THAT(Drain(mainWindow), ElementsAre(Expected(kAuxKeyboard, kAuxKeyboardIndex, AUXMOD_CTRL, 103),
                                               Expected(kAuxKeyboard, kAuxKeyboardIndex, 0, 96),
                                               Expected(kAuxKeyboard, kAuxKeyboardIndex, 0, 45),
                                               Expected(kAuxMouse, kAuxMouseIndex, 0xFF88, 1024)));
    EXPECT_THAT(Drain(setupWindow), IsEmpty());
    EXPECT_THAT(RecordLines("send "), IsEmpty());
    EXPECT_THAT(RecordLines("system "), ElementsAre("system " + KeyLine(kMainKeyboard, 0x1E, 0),
                                                    "system " + MouseLine(kMainMouse, 1, 0),
                                                    "system " + MouseLine(kAuxMouse, 64, 0)));
    EXPECT_EQ(sink.priority.load(), THREAD_PRIORITY_HIGHEST);
}

// A few thousand strokes of all four devices, interleaved: every main stroke reaches the system
// exactly once and in order without passing through the program, every auxiliary key press and
// single button event is posted once, in order, and releases whose presses were not taken go back.
TEST_F(CaptureWin32Test, FloodLosesNoMainStrokeAndPostsEachAuxiliaryEventOnce) {
    Start();
    controller.SetCaptureFilters(true, true);
    // Letters only, so no modifier, lock or gate takes part and each press posts its virtual key.
    const unsigned letters[] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1E, 0x1F, 0x20,
                                0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32};
    const unsigned buttons[] = {0, 1, 2, 4, 8, 16, 32, 1024, 5, 1024 | 1};
    std::vector<std::string> lines, sentBack, givenBack;
    std::vector<PostedInput> posts;
    bool keyDown[256] = {};
    unsigned buttonDown = 0;
    std::uint32_t seed = 12345;
    const auto next = [&seed](std::uint32_t range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % range;
    };
    for (int i = 0; i < 3000; ++i) {
        switch (next(4)) {
        case 0: { // main keyboard: any scan code, press or release, with or without E0
            const std::string line = KeyLine(kMainKeyboard, 0x02 + next(0x50), next(4));
            lines.push_back(line);
            sentBack.push_back("system " + line);
            break;
        }
        case 1: { // main mouse: moves, buttons and wheel, each stroke told apart by its wheel value
            const std::string line = MouseLine(kMainMouse, buttons[next(8)], static_cast<int>(i % 240) - 120);
            lines.push_back(line);
            sentBack.push_back("system " + line);
            break;
        }
        case 2: { // auxiliary keyboard: a press posts its key, a release nothing
            const unsigned scan = letters[next(std::size(letters))];
            const unsigned state = next(2);
            lines.push_back(KeyLine(kAuxKeyboard, scan, state));
            if (state == 0) {
                posts.push_back(Expected(kAuxKeyboard, kAuxKeyboardIndex, 0,
                                         static_cast<std::int32_t>(MapVirtualKeyA(scan, MAPVK_VSC_TO_VK))));
            } else if (!keyDown[scan]) {
                givenBack.push_back("send " + lines.back()); // the system saw no press of it here
            }
            keyDown[scan] = state == 0;
            break;
        }
        default: { // auxiliary mouse: only single transitions and the wheel are posted
            const unsigned state = buttons[next(std::size(buttons))];
            const int wheel = state & 1024 ? (next(2) ? 120 : -120) : 0;
            lines.push_back(MouseLine(kAuxMouse, state, wheel));
            // Ups of buttons whose downs were not taken go back on their own; the rest is as ever.
            unsigned back = 0;
            for (unsigned down = 1; down < 64; down <<= 2) {
                const unsigned up = down << 1;
                buttonDown |= state & down;
                if (state & up) {
                    back |= buttonDown & down ? 0 : up;
                    buttonDown &= ~down;
                }
            }
            if (back != 0)
                givenBack.push_back("send " + MouseLine(kAuxMouse, back, 0));
            const unsigned rest = state & ~back;
            if (rest != 0 && (rest & (rest - 1)) == 0) {
                posts.push_back(Expected(kAuxMouse, kAuxMouseIndex, static_cast<std::uint16_t>(wheel),
                                         static_cast<std::int32_t>(rest)));
            }
            break;
        }
        }
    }
    InjectAll(lines);
    Settle();

    const std::vector<std::string> sent = RecordLines("system ");
    ASSERT_EQ(sent.size(), sentBack.size());
    EXPECT_TRUE(sent == sentBack) << "main strokes reached the system out of order or changed";
    EXPECT_TRUE(RecordLines("send ") == givenBack) << "auxiliary releases of presses the system saw";
    EXPECT_THAT(RecordLines("error "), IsEmpty());
    const std::vector<PostedInput> posted = Drain(mainWindow, posts.size() + 100);
    ASSERT_EQ(posted.size(), posts.size());
    EXPECT_TRUE(posted == posts) << "posts out of order or changed";
}

// A driver that keeps waking the thread while its receive reads nothing (the real library's failure)
// ends the thread; it lets go of both classes, and filters set afterwards would hold strokes nobody
// takes, so none are set.
TEST_F(CaptureWin32Test, FailedReceiveEndsTheThreadWithBothFiltersOff) {
    Start();
    controller.SetCaptureFilters(true, true);
    Settle();
    Inject("fail " + std::to_string(kAuxKeyboard));
    ASSERT_TRUE(WaitUntil([&] { return !controller.ThreadRunning(); })) << "the thread went on";

    const FilterState afterFailure = FiltersOf(RecordLines("filter "));
    EXPECT_EQ(afterFailure.keyboards, 0);
    EXPECT_EQ(afterFailure.mice, 0);
    EXPECT_THAT(RecordLines("receive failed"), ElementsAre("receive failed"));

    controller.SetCaptureFilters(true, true);
    controller.EnterSetupMode(DEVICE_CLASS_KEYBOARDS, reinterpret_cast<std::uintptr_t>(setupWindow));
    controller.LeaveSetupMode();
    InjectAll({KeyLine(kAuxKeyboard, 0x1E, 0), MouseLine(kAuxMouse, 1, 0)});
    Settle();
    EXPECT_EQ(FiltersOf(RecordLines("filter ")).changes, afterFailure.changes);
    // The auxiliary devices work as ordinary ones again.
    EXPECT_THAT(RecordLines("system "), ElementsAre("system " + KeyLine(kAuxKeyboard, 0x1E, 0),
                                                    "system " + MouseLine(kAuxMouse, 1, 0)));
    EXPECT_THAT(Drain(mainWindow), IsEmpty());

    controller.StopCapture();
    EXPECT_FALSE(controller.HasContext());
    EXPECT_EQ(Record().back(), "close");
}

// Keyboards setup: every keyboard stroke goes back to the system, modifiers and releases included,
// and only presses reach the setup window, main keyboard marked; mice are not captured.
TEST_F(CaptureWin32Test, KeyboardSetupModeReinjectsEveryStrokeAndPostsOnlyPresses) {
    Start();
    controller.SetCaptureFilters(true, true);
    // Capture holds the auxiliary devices only; setup every keyboard, present or not, and no mouse.
    EXPECT_EQ(Ask("filters?"), "filters 0 0 15 0 0 0 0 0 0 0 0 5183 0 0 0 0 0 0 0 0\n");
    controller.EnterSetupMode(DEVICE_CLASS_KEYBOARDS, reinterpret_cast<std::uintptr_t>(setupWindow));
    EXPECT_EQ(Ask("filters?"), "filters 15 15 15 15 15 15 15 15 15 15 0 0 0 0 0 0 0 0 0 0\n");
    const std::vector<std::string> keys = {
        KeyLine(kMainKeyboard, 0x2A, 0), // Shift down
        KeyLine(kMainKeyboard, 0x1E, 0), // A with Shift held
        KeyLine(kMainKeyboard, 0x1E, 1), //
        KeyLine(kMainKeyboard, 0x2A, 1), // Shift up
        KeyLine(kMainKeyboard, 0x1D, 0), // Ctrl and Caps Lock: consumed, yet handed back
        KeyLine(kMainKeyboard, 0x1D, 1), //
        KeyLine(kMainKeyboard, 0x3A, 0), //
        KeyLine(kMainKeyboard, 0x3A, 1), //
        KeyLine(kAuxKeyboard, 0x1E, 0),  // an auxiliary key is handed back too
        KeyLine(kAuxKeyboard, 0x1E, 1),  //
    };
    std::vector<std::string> lines = keys;
    lines.push_back(MouseLine(kMainMouse, 1, 0));
    lines.push_back(MouseLine(kAuxMouse, 1, 0));
    InjectAll(lines);
    Settle();

    std::vector<std::string> sentBack;
    for (const std::string& key : keys) {
        sentBack.push_back("send " + key);
    }
    EXPECT_THAT(RecordLines("send "), ElementsAreArray(sentBack));
    EXPECT_THAT(RecordLines("system "),
                ElementsAre("system " + MouseLine(kMainMouse, 1, 0), "system " + MouseLine(kAuxMouse, 1, 0)));
    EXPECT_THAT(Drain(setupWindow), ElementsAre(Expected(kMainKeyboard, -1, AUXMOD_SHIFT, 65),
                                                Expected(kAuxKeyboard, kAuxKeyboardIndex, 0, 65)));
    EXPECT_THAT(Drain(mainWindow), IsEmpty());

    // Leaving: the main window is the target again and nothing is captured until the next Apply.
    controller.LeaveSetupMode();
    EXPECT_EQ(Ask("filters?"), "filters 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n");
    InjectAll({KeyLine(kAuxKeyboard, 0x1E, 0)});
    Settle();
    EXPECT_EQ(RecordLines("system ").back(), "system " + KeyLine(kAuxKeyboard, 0x1E, 0));
    controller.SetCaptureFilters(true, false);
    InjectAll({KeyLine(kAuxKeyboard, 0x1E, 0)});
    Settle();
    EXPECT_THAT(Drain(mainWindow), ElementsAre(Expected(kAuxKeyboard, kAuxKeyboardIndex, 0, 65)));
    EXPECT_THAT(Drain(setupWindow), IsEmpty());
}

// Stop with capture on and the thread idle in its wait: it ends within a wait or so, and the
// driver context is gone (the driver allows only one, so a new one can be made).
TEST_F(CaptureWin32Test, StopCaptureEndsTheThreadPromptlyAndDestroysTheContext) {
    Start();
    controller.SetCaptureFilters(true, true);
    Settle();
    const auto started = std::chrono::steady_clock::now();
    controller.StopCapture();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_FALSE(controller.HasContext());
    EXPECT_FALSE(controller.ThreadRunning());
    EXPECT_EQ(Record().back(), "close");

    const DriverContext again = InterceptionDriver().create_context();
    EXPECT_NE(again, nullptr);
    InterceptionDriver().destroy_context(again);
    controller.StopCapture(); // a second stop has nothing left to do
}
