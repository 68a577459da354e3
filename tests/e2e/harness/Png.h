// A minimal PNG writer (8-bit RGB, stored deflate blocks), enough for screenshots a person looks at.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kve2e {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // width * height * 3 bytes, rows top to bottom
};

// The image as PNG file bytes.
std::string EncodePng(const RgbImage& image);
bool WritePng(const std::filesystem::path& path, const RgbImage& image);

} // namespace kve2e
