// Positions and sizes are designed in twips, 1/1440 of an inch: 15 twips per
// pixel at 96 dots per inch. They are turned into pixels once, by the driver
// that draws the window, for the DPI the window really has.
#pragma once

#include <cstdint>

namespace ui {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kDefaultDpi = 96;

struct TwipPoint {
    int x = 0;
    int y = 0;
};

struct TwipSize {
    int width = 0;
    int height = 0;
};

struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool contains(TwipPoint point) const {
        return point.x >= left && point.x < left + width && point.y >= top &&
               point.y < top + height;
    }
    TwipPoint center() const { return {left + width / 2, top + height / 2}; }
};

// Rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(
        (scaled >= 0 ? scaled + kTwipsPerInch / 2 : scaled - kTwipsPerInch / 2) / kTwipsPerInch);
}

constexpr int PixelsToTwips(int pixels, int dpi) {
    return static_cast<int>(static_cast<long long>(pixels) * kTwipsPerInch / dpi);
}

static_assert(TwipsToPixels(15, kDefaultDpi) == 1);
static_assert(TwipsToPixels(5985, kDefaultDpi) == 399);
static_assert(TwipsToPixels(1440, 120) == 120);

} // namespace ui
