// Icons and the LED strip as the program loads them: sizes, depth, transparency and the
// colours the LED control and the tray rely on.
#include "DibPixels.h"
#include "ResourceTestSupport.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using kvtest::Module;

// The 32-bit top-down pixels of a bitmap.
std::vector<uint32_t> Pixels(HBITMAP bmp, int w, int h) {
    return uitest::BitmapPixels(bmp, w, h);
}

uint32_t Rgb(int r, int g, int b) {
    return static_cast<uint32_t>((r << 16) | (g << 8) | b);
}

struct IconPicture {
    std::vector<uint32_t> colour;
    std::vector<uint32_t> mask;
};

IconPicture LoadIconPicture(int id) {
    IconPicture pic;
    HICON icon = static_cast<HICON>(LoadImageA(Module(), MAKEINTRESOURCEA(id), IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(icon, nullptr) << "icon " << id;
    if (!icon)
        return pic;
    ICONINFO info = {};
    EXPECT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm = {};
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32) << "icon " << id;
    EXPECT_EQ(bm.bmHeight, 32) << "icon " << id;
    pic.colour = Pixels(info.hbmColor, 32, 32);
    pic.mask = Pixels(info.hbmMask, 32, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    return pic;
}

TEST(ResourceIcons, EachHoldsSixteenColourPicturesForEverySizeWindowsAsksFor) {
    for (int id : {IDR_MAINFRAME, IDI_ANIM0, IDI_ANIM1, IDI_ANIM2, IDI_ANIM3, IDI_NODRIVER}) {
        SCOPED_TRACE(testing::Message() << "icon " << id);
        HRSRC group = FindResourceA(Module(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
        ASSERT_NE(group, nullptr);
        // Small icons at 96, 120 and 144 DPI, large ones at 96 and 144: 16 colours, 4 bits per pixel.
        const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(Module(), group)));
        int count = dir[4] | (dir[5] << 8);
        std::vector<int> sizes;
        for (int i = 0; i < count; ++i) {
            const BYTE* e = dir + 6 + 14 * i;
            EXPECT_EQ(e[0], e[1]);
            EXPECT_EQ(e[2], 16);
            EXPECT_EQ(e[6] | (e[7] << 8), 4);
            sizes.push_back(e[0]);
        }
        EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 48}));

        IconPicture pic = LoadIconPicture(id);
        ASSERT_EQ(pic.mask.size(), 32u * 32u);
        // Transparent top-left corner, opaque middle of the keyboard.
        EXPECT_EQ(pic.mask[0] & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(pic.mask[20 * 32 + 16] & 0xFFFFFF, 0u);
    }
}

TEST(ResourceIcons, AnimationFramesDifferFromTheIconAndFromEachOther) {
    std::vector<std::vector<uint32_t>> frames;
    for (int id : {IDR_MAINFRAME, IDI_ANIM0, IDI_ANIM1, IDI_ANIM2, IDI_ANIM3, IDI_NODRIVER})
        frames.push_back(LoadIconPicture(id).colour);
    for (size_t a = 0; a < frames.size(); ++a)
        for (size_t b = a + 1; b < frames.size(); ++b)
            EXPECT_NE(frames[a], frames[b]) << "pictures " << a << " and " << b;
}

TEST(ResourceIcons, NoDriverIconShowsARedCross) {
    std::vector<uint32_t> px = LoadIconPicture(IDI_NODRIVER).colour;
    ASSERT_EQ(px.size(), 32u * 32u);
    int red = 0;
    for (uint32_t p : px)
        red += (p & 0xFFFFFF) == Rgb(255, 0, 0);
    EXPECT_GT(red, 100); // a large cross, not a speck
    EXPECT_EQ(px[16 * 32 + 16] & 0xFFFFFF, Rgb(255, 0, 0)) << "the strokes meet in the middle";
}

class LedStrip : public testing::Test {
protected:
    void SetUp() override {
        bmp_ = static_cast<HBITMAP>(
            LoadImageA(Module(), MAKEINTRESOURCEA(IDB_LEDS), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bmp_, nullptr);
        px_ = Pixels(bmp_, 48, 128);
    }
    void TearDown() override {
        if (bmp_)
            DeleteObject(bmp_);
    }
    uint32_t At(int x, int y) const { return px_[static_cast<size_t>(y) * 48 + x] & 0xFFFFFF; }

    HBITMAP bmp_ = nullptr;
    std::vector<uint32_t> px_;
};

TEST_F(LedStrip, Is48By128AtFourBitsPerPixel) {
    DIBSECTION ds = {};
    ASSERT_EQ(GetObjectA(bmp_, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmWidth, 48);
    EXPECT_EQ(ds.dsBm.bmHeight, 128);
    EXPECT_EQ(ds.dsBmih.biBitCount, 4);
    // The LED control loads it as a device bitmap; that must work too.
    HBITMAP ddb = LoadBitmapA(Module(), MAKEINTRESOURCEA(IDB_LEDS));
    EXPECT_NE(ddb, nullptr);
    DeleteObject(ddb);
}

TEST_F(LedStrip, EveryCellHasItsFaceColourOnMagenta) {
    const uint32_t on[] = {Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(255, 255, 0), Rgb(0, 0, 255)};
    const uint32_t off[] = {Rgb(128, 0, 0), Rgb(0, 128, 0), Rgb(128, 128, 0), Rgb(0, 0, 128)};
    const uint32_t magenta = Rgb(255, 0, 255);
    for (int row = 0; row < 8; ++row) {
        for (int state = 0; state < 3; ++state) {
            SCOPED_TRACE(testing::Message() << "cell row " << row << " state " << state);
            const int x = state * 16, y = row * 16;
            const uint32_t face = state == 0 ? on[row % 4] : state == 1 ? off[row % 4] : Rgb(128, 128, 128);
            EXPECT_EQ(At(x + 6, y + 6), face);
            EXPECT_EQ(At(x + 8, y + 8), face);
            // A control smaller than a cell shows its top-left 12 x 12 pixels (the setup dialog's
            // LEDs at 96 DPI): the 11-pixel picture lies inside them, one pixel in from the corner.
            for (int cy = 0; cy < 16; ++cy)
                for (int cx = 0; cx < 16; ++cx)
                    if (cx == 0 || cy == 0 || cx >= 12 || cy >= 12) {
                        EXPECT_EQ(At(x + cx, y + cy), magenta) << cx << "," << cy;
                    }
            EXPECT_NE(At(x + 1, y + 6), magenta);
            EXPECT_NE(At(x + 11, y + 6), magenta);
            EXPECT_NE(At(x + 6, y + 11), magenta);
        }
    }
}

} // namespace
