// CLed under Wine: the cell it draws (placement, transparency, face colours) and its flash.
#include "UiTestSupport.h"

#include "ui/Led.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// The background the transparent pixels must show: different at every pixel, so a cell taken
// from the wrong place of the target shows up.
COLORREF Background(int x, int y) {
    return RGB(10 + x * 3, 20 + y * 3, 200);
}

struct Host {
    explicit Host(int width, int height, bool visible = false) : statics(width, height, visible) {
        parent.m_hWnd = statics.parent();
        EXPECT_TRUE(led.SubclassDlgItem(uitest::StaticHost::kControlId, &parent));
    }
    ~Host() {
        led.UnsubclassWindow();
        parent.m_hWnd = nullptr;
    }
    uitest::StaticHost statics;
    CWnd parent;
    CLed led;
};

struct CellCase {
    const char* name;
    int state, colour, shape;
    COLORREF face;
};

class LedDrawTest : public ::testing::TestWithParam<CellCase> {};

TEST_P(LedDrawTest, DrawsTheChosenCellOverTheBackground) {
    const CellCase& c = GetParam();
    Host host(16, 16);
    uitest::Dib dib(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            dib.Set(x, y, Background(x, y));

    host.led.DrawLed(c.state, dib.dc(), c.colour, c.shape);

    int facePixels = 0, backgroundPixels = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const COLORREF p = dib.At(x, y);
            EXPECT_NE(p, RGB(255, 0, 255)) << "magenta left at " << x << "," << y;
            facePixels += p == c.face;
            backgroundPixels += p == Background(x, y);
        }
    }
    // The corners lie outside both LED pictures.
    EXPECT_EQ(dib.At(0, 0), Background(0, 0));
    EXPECT_EQ(dib.At(15, 15), Background(15, 15));
    // A 7 x 7 face at least; a disc of about 11 pixels leaves well over 100 background pixels.
    EXPECT_GE(facePixels, 25) << "face colour " << std::hex << c.face;
    EXPECT_GE(backgroundPixels, 100);
    EXPECT_LE(backgroundPixels, 16 * 16 - 49);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, LedDrawTest,
    ::testing::Values(CellCase{"RedRoundOn", LED_ON, LED_RED, LED_ROUND, RGB(255, 0, 0)},
                      CellCase{"GreenSquareOn", LED_ON, LED_GREEN, LED_SQUARE, RGB(0, 255, 0)},
                      CellCase{"GreenSquareOff", LED_OFF, LED_GREEN, LED_SQUARE, RGB(0, 128, 0)},
                      CellCase{"YellowRoundOff", LED_OFF, LED_YELLOW, LED_ROUND, RGB(128, 128, 0)},
                      CellCase{"BlueSquareOn", LED_ON, LED_BLUE, LED_SQUARE, RGB(0, 0, 255)},
                      CellCase{"BlueRoundOff", LED_OFF, LED_BLUE, LED_ROUND, RGB(0, 0, 128)},
                      CellCase{"GreenSquareDisabled", LED_DISABLED, LED_GREEN, LED_SQUARE,
                               RGB(128, 128, 128)}),
    [](const ::testing::TestParamInfo<CellCase>& info) { return std::string(info.param.name); });

// Where the picture lands in controls of different sizes: the drawn area differs from the
// background exactly inside the expected 16 x 16 square.
struct PlacementCase {
    int width, height;
    int x, y;
};

class LedPlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(LedPlacementTest, PictureLandsAtTheCentredOrigin) {
    const PlacementCase& c = GetParam();
    Host host(c.width, c.height);
    const int w = std::max(c.width, 16), h = std::max(c.height, 16);
    uitest::Dib dib(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            dib.Set(x, y, Background(x, y));

    host.led.DrawLed(LED_ON, dib.dc(), LED_GREEN, LED_SQUARE);

    int left = w, top = h, right = -1, bottom = -1;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (dib.At(x, y) == Background(x, y))
                continue;
            left = std::min(left, x), top = std::min(top, y);
            right = std::max(right, x), bottom = std::max(bottom, y);
        }
    }
    // The square LED is 11 x 11 in its cell; its changed pixels stay inside the expected square
    // and reach both halves of it.
    EXPECT_GE(left, c.x);
    EXPECT_GE(top, c.y);
    EXPECT_LT(right, c.x + 16);
    EXPECT_LT(bottom, c.y + 16);
    EXPECT_LE(left, c.x + 7);
    EXPECT_GE(right, c.x + 8);
    EXPECT_LE(top, c.y + 7);
    EXPECT_GE(bottom, c.y + 8);
}

INSTANTIATE_TEST_SUITE_P(Sizes, LedPlacementTest,
                         ::testing::Values(PlacementCase{16, 16, 0, 0}, PlacementCase{40, 20, 12, 2},
                                           PlacementCase{12, 13, 0, 0}, PlacementCase{17, 33, 0, 8}));

// The setup dialog's LED statics are 12 x 12 or 12 x 13 pixels at 96 DPI: what they show of each
// cell is the whole picture that a 16 x 16 control shows.
TEST(LedClipTest, TwelvePixelControlsShowTheWholePicture) {
    for (const int shape : {LED_ROUND, LED_SQUARE}) {
        for (const int state : {LED_ON, LED_OFF, LED_DISABLED}) {
            SCOPED_TRACE(testing::Message() << "shape " << shape << " state " << state);
            Host full(16, 16), clipped(12, 13);
            uitest::Dib whole(16, 16), shown(12, 13);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    whole.Set(x, y, Background(x, y));
                    if (x < 12 && y < 13)
                        shown.Set(x, y, Background(x, y));
                }
            full.led.DrawLed(state, whole.dc(), LED_GREEN, shape);
            clipped.led.DrawLed(state, shown.dc(), LED_GREEN, shape);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    if (x < 12 && y < 13) {
                        EXPECT_EQ(shown.At(x, y), whole.At(x, y)) << x << "," << y;
                    } else {
                        EXPECT_EQ(whole.At(x, y), Background(x, y)) << "cut off at " << x << "," << y;
                    }
                }
        }
    }
}

// Counts the switch-off timer messages the LED receives.
class CountingLed : public CLed {
public:
    int switchOffs = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER && wParam == TimerIdValue(LedTimer::Off))
            ++switchOffs;
        return CLed::WindowProc(message, wParam, lParam);
    }
};

TEST(LedFlashTest, RepeatedFlashKeepsItLitAndItGoesOutOnce) {
    uitest::StaticHost statics(16, 16, true);
    CWnd parent;
    parent.m_hWnd = statics.parent();
    CountingLed led;
    ASSERT_TRUE(led.SubclassDlgItem(uitest::StaticHost::kControlId, &parent));
    led.m_state = LED_DISABLED;

    led.Flash();
    EXPECT_EQ(led.m_state, LED_ON);
    uitest::Pump(200);
    led.Flash();
    const DWORD second = ::GetTickCount();
    // Had the first timer been left running it would fire 100 ms from here.
    uitest::PumpUntil([&] { return led.m_state != LED_ON; }, 200);
    if (::GetTickCount() - second < 290) {
        EXPECT_EQ(led.m_state, LED_ON)
            << "went out " << ::GetTickCount() - second << " ms after the second flash";
    }

    EXPECT_TRUE(uitest::PumpUntil([&] { return led.m_state == LED_OFF; }, 5000));
    EXPECT_GE(::GetTickCount() - second, 280u);
    EXPECT_FALSE(led.Lit());
    // The timer was killed: no second switch-off follows.
    uitest::Pump(700);
    EXPECT_EQ(led.switchOffs, 1);
    EXPECT_EQ(led.m_state, LED_OFF);

    led.UnsubclassWindow();
    parent.m_hWnd = nullptr;
}

} // namespace
