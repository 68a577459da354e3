#include "Png.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace kve2e {
namespace {

uint32_t Be32(const std::string& s, size_t at) {
    return (uint32_t(uint8_t(s[at])) << 24) | (uint32_t(uint8_t(s[at + 1])) << 16) |
           (uint32_t(uint8_t(s[at + 2])) << 8) | uint32_t(uint8_t(s[at + 3]));
}

uint32_t BitwiseCrc(const std::string& s, size_t from, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = from; i < from + n; ++i) {
        c ^= uint8_t(s[i]);
        for (int k = 0; k < 8; ++k) {
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
        }
    }
    return ~c;
}

// Reads back a PNG of stored deflate blocks as EncodePng writes it, checking every checksum.
RgbImage Decode(const std::string& png) {
    RgbImage image;
    std::string zlib;
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n"));
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = Be32(png, at);
        const std::string type = png.substr(at + 4, 4);
        EXPECT_EQ(Be32(png, at + 8 + length), BitwiseCrc(png, at + 4, length + 4)) << type << " CRC";
        if (type == "IHDR") {
            image.width = int(Be32(png, at + 8));
            image.height = int(Be32(png, at + 12));
        } else if (type == "IDAT") {
            zlib += png.substr(at + 8, length);
        }
        at += 12 + length;
    }
    std::string raw;
    size_t at = 2;
    for (bool last = false; !last && at + 5 <= zlib.size();) {
        last = zlib[at] & 1;
        const size_t n = uint8_t(zlib[at + 1]) | (uint8_t(zlib[at + 2]) << 8);
        EXPECT_EQ(n ^ 0xFFFF, size_t(uint8_t(zlib[at + 3]) | (uint8_t(zlib[at + 4]) << 8)))
            << "block length check";
        raw += zlib.substr(at + 5, n);
        at += 5 + n;
    }
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    EXPECT_EQ(Be32(zlib, at), (b << 16) | a) << "Adler-32";
    const size_t stride = size_t(image.width) * 3 + 1;
    for (size_t row = 0; row * stride < raw.size(); ++row) {
        EXPECT_EQ(raw[row * stride], '\0') << "filter of row " << row;
        image.rgb.insert(image.rgb.end(), raw.begin() + row * stride + 1, raw.begin() + (row + 1) * stride);
    }
    return image;
}

TEST(PngTest, PixelsSurviveTheRoundTripAcrossDeflateBlockBoundaries) {
    // Raw sizes (3 * width + 1) * height: 4; 66; 65,535, exactly one full block; 90,100, two blocks.
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{7, 3}, std::pair{1456, 15}, std::pair{300, 100}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        RgbImage image{w, h, {}};
        for (int i = 0; i < w * h * 3; ++i) {
            image.rgb.push_back(uint8_t(i * 7 + i / 255));
        }
        const RgbImage back = Decode(EncodePng(image));
        EXPECT_EQ(back.width, w);
        EXPECT_EQ(back.height, h);
        EXPECT_EQ(back.rgb, image.rgb);
    }
}

} // namespace
} // namespace kve2e
