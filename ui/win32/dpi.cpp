#include "ui/win32/dpi.h"

#include <cmath>

namespace ui::win32 {

Dpi Dpi::OfScreen() {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return {kDefaultDpi, kDefaultDpi};
    }
    const Dpi dpi(GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return dpi;
}

SIZE Dpi::toPixels(TwipSize size) const {
    return {TwipsToPixels(size.width, x_), TwipsToPixels(size.height, y_)};
}

RECT Dpi::toPixels(TwipRect rect) const {
    return {TwipsToPixels(rect.left, x_), TwipsToPixels(rect.top, y_),
            TwipsToPixels(rect.left + rect.width, x_), TwipsToPixels(rect.top + rect.height, y_)};
}

namespace {

// The twip just before the middle of the pixel. TwipsToPixels rounds an edge
// that falls on a pixel's middle up, so that pixel belongs to what lies after
// the edge; this keeps hit tests in twips on the pixels where controls are
// drawn.
int PixelMiddleToTwips(int pixel, int dpi) {
    const long long numerator = (2LL * pixel + 1) * kTwipsPerInch;
    const long long denominator = 2LL * dpi;
    long long quotient = numerator / denominator; // rounds towards zero
    if (numerator > 0 && numerator % denominator != 0) {
        ++quotient; // up, for positive values as well
    }
    return static_cast<int>(quotient - 1);
}

} // namespace

TwipPoint Dpi::toTwips(POINT pixel) const {
    return {PixelMiddleToTwips(pixel.x, x_), PixelMiddleToTwips(pixel.y, y_)};
}

int Dpi::fontHeight(double points) const {
    return -static_cast<int>(std::lround(points * y_ / 72.0));
}

} // namespace ui::win32
