// Screenshots of the whole display, for looking at what a failing test saw.
#pragma once

#include "Png.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kve2e {

// The Windows desktop as the display shows it (GDI BitBlt from the screen's device context; under
// Wine this reads the X display's root window, so every Wine window on it is in the picture).
RgbImage CaptureScreen();

// CaptureScreen written to path as PNG.
testing::AssertionResult Screenshot(const std::filesystem::path& path);

} // namespace kve2e
