// Twips and pixels at the DPIs Windows offers: a click hits a control exactly
// on the pixels where the control is drawn, and fonts get their usual size.
#include "ui/win32/dpi.h"

#include <gtest/gtest.h>

namespace tarrow::testing {
namespace {

TEST(Win32Dpi, APixelHitsAControlExactlyWhereTheControlIsDrawn) {
    const ui::TwipRect rects[] = {
        {4320, 6120, 975, 735}, // a hot area of the intro window
        {0, 5520, 495, 615},    // one in a corner
        {2520, 1320, 2535, 195},
        {4325, 17, 44, 29}, // edges off the 15-twip grid
    };
    for (const int dpi : {96, 120, 144, 192}) {
        const ui::win32::Dpi screen(dpi, dpi);
        for (const ui::TwipRect& rect : rects) {
            SCOPED_TRACE(::testing::Message()
                         << dpi << " DPI, rect at " << rect.left << "," << rect.top);
            const RECT drawn = screen.toPixels(rect);
            for (int y = drawn.top - 2; y < drawn.bottom + 2; ++y) {
                for (int x = drawn.left - 2; x < drawn.right + 2; ++x) {
                    const bool onDrawn =
                        x >= drawn.left && x < drawn.right && y >= drawn.top && y < drawn.bottom;
                    ASSERT_EQ(rect.contains(screen.toTwips({x, y})), onDrawn) << x << "," << y;
                }
            }
        }
    }
}

TEST(Win32Dpi, SizesAndFontsScaleWithTheDpi) {
    const ui::win32::Dpi normal(96, 96);
    const ui::win32::Dpi large(120, 120);
    EXPECT_EQ(normal.toPixels(ui::TwipSize{5985, 3000}).cx, 399);
    EXPECT_EQ(normal.toPixels(ui::TwipSize{5985, 3000}).cy, 200);
    EXPECT_EQ(large.toPixels(ui::TwipSize{5985, 3000}).cx, 499);
    EXPECT_EQ(large.toPixels(ui::TwipSize{5985, 3000}).cy, 250);
    // Tahoma 8.25 pt is the familiar 11-pixel dialog font at 96 DPI.
    EXPECT_EQ(normal.fontHeight(8.25), -11);
    EXPECT_EQ(large.fontHeight(8.25), -14);
    // A DPI the screen cannot report falls back to 96.
    EXPECT_EQ(ui::win32::Dpi(0, 0).x(), 96);
}

} // namespace
} // namespace tarrow::testing
