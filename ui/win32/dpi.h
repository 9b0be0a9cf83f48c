// The screen's dots per inch, read once, and the conversions between the
// twips in which forms are designed and the pixels of the screen.
#pragma once

#include "ui/geometry.h"

#include <windows.h>

namespace ui::win32 {

class Dpi {
public:
    Dpi(int x, int y) : x_(x > 0 ? x : kDefaultDpi), y_(y > 0 ? y : kDefaultDpi) {}
    // LOGPIXELSX and LOGPIXELSY of the screen.
    static Dpi OfScreen();

    int x() const { return x_; }
    int y() const { return y_; }

    SIZE toPixels(TwipSize size) const;
    // Converts the edges, so that rectangles which touch in twips touch in
    // pixels too.
    RECT toPixels(TwipRect rect) const;
    // Where the pixel lies in twips, for hit tests against controls.
    TwipPoint toTwips(POINT pixel) const;
    // The font height for CreateFont: negative, the character height in
    // pixels.
    int fontHeight(double points) const;

private:
    int x_;
    int y_;
};

} // namespace ui::win32
