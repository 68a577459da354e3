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

TEST(ResourceIcons, EachIsA32By32SixteenColourPictureWithTransparentCorners) {
    for (int id : {IDR_MAINFRAME, IDI_ANIM0, IDI_ANIM1, IDI_ANIM2, IDI_ANIM3, IDI_NODRIVER}) {
        SCOPED_TRACE(testing::Message() << "icon " << id);
        HRSRC group = FindResourceA(Module(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
        ASSERT_NE(group, nullptr);
        // The group directory names the 32x32 image with 16 colours and 4 bits per pixel.
        const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(Module(), group)));
        int count = dir[4] | (dir[5] << 8);
        bool found = false;
        for (int i = 0; i < count; ++i) {
            const BYTE* e = dir + 6 + 14 * i;
            if (e[0] == 32 && e[1] == 32 && e[2] == 16 && (e[6] | (e[7] << 8)) == 4)
                found = true;
        }
        EXPECT_TRUE(found);

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
            EXPECT_EQ(At(x + 7, y + 7), face);
            EXPECT_EQ(At(x + 9, y + 9), face);
            for (auto [cx, cy] : {std::pair{0, 0}, {15, 0}, {0, 15}, {15, 15}, {1, 7}, {14, 7}, {7, 14}})
                EXPECT_EQ(At(x + cx, y + cy), magenta) << cx << "," << cy;
        }
    }
}

} // namespace
