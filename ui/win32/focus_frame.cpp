#include "ui/win32/focus_frame.h"

#include "ui/win32/gdi_handles.h"

#include <algorithm>

namespace ui::win32 {

namespace {

// A two-by-two checkerboard of squares `side` pixels wide.
BrushHandle CheckerBrush(HDC dc, int side) {
    BitmapHandle pattern(CreateCompatibleBitmap(dc, 2 * side, 2 * side));
    MemoryDc memory(CreateCompatibleDC(dc));
    if (!pattern || !memory) {
        return BrushHandle(CreateSolidBrush(RGB(0, 0, 0)));
    }
    {
        Selection selected(memory.get(), pattern.get());
        const RECT whole{0, 0, 2 * side, 2 * side};
        FillRect(memory.get(), &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        const RECT first{0, 0, side, side};
        const RECT second{side, side, 2 * side, 2 * side};
        FillRect(memory.get(), &first, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        FillRect(memory.get(), &second, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    // The brush keeps its own copy of the pattern.
    return BrushHandle(CreatePatternBrush(pattern.get()));
}

} // namespace

void DrawFocusFrame(HDC dc, const RECT& rect, const Dpi& dpi) {
    const int side = std::max(1, (dpi.x() + kDefaultDpi / 2) / kDefaultDpi);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width < 2 * side || height < 2 * side) {
        return;
    }
    BrushHandle brush = CheckerBrush(dc, side);
    // The pattern lines up with the window's client area.
    POINT previousOrigin{};
    SetBrushOrgEx(dc, 0, 0, &previousOrigin);
    const RECT edges[] = {
        {rect.left, rect.top, rect.right, rect.top + side},
        {rect.left, rect.bottom - side, rect.right, rect.bottom},
        {rect.left, rect.top + side, rect.left + side, rect.bottom - side},
        {rect.right - side, rect.top + side, rect.right, rect.bottom - side},
    };
    for (const RECT& edge : edges) {
        FillRect(dc, &edge, brush.get());
    }
    SetBrushOrgEx(dc, previousOrigin.x, previousOrigin.y, nullptr);
}

} // namespace ui::win32
