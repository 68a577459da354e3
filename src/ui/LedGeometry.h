#pragma once
// Cells of the LED strip (bitmap 131: 3 state columns by 8 rows of 16 x 16 cells, round shapes
// above square ones, each in red, green, yellow, blue order) and where a cell goes in its control.

inline constexpr int LED_RED = 0;
inline constexpr int LED_GREEN = 16;
inline constexpr int LED_YELLOW = 32;
inline constexpr int LED_BLUE = 48;

inline constexpr int LED_ON = 0;
inline constexpr int LED_OFF = 1;
inline constexpr int LED_DISABLED = 2;

inline constexpr int LED_ROUND = 0;
inline constexpr int LED_SQUARE = 64;

inline constexpr int kLedCellSize = 16;

struct LedPoint {
    int x;
    int y;
    bool operator==(const LedPoint&) const = default;
};

// Top-left of the source cell in the strip.
constexpr LedPoint LedCell(int state, int colourOffset, int shapeOffset) {
    return {state * kLedCellSize, colourOffset + shapeOffset};
}

// Top-left of the 16 x 16 picture in a client area of the given size: centred when the area is at
// least 16 both ways, else at the origin (the picture is clipped, never scaled).
constexpr LedPoint LedPlacement(int width, int height) {
    if (width < kLedCellSize || height < kLedCellSize)
        return {0, 0};
    return {(width - kLedCellSize) / 2, (height - kLedCellSize) / 2};
}
