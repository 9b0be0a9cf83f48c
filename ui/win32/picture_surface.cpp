#include "ui/win32/picture_surface.h"

#include "ui/win32/picture_loader.h"

namespace ui::win32 {

PictureSurface::~PictureSurface() {
    clear();
}

void PictureSurface::clear() {
    // The bitmap must leave the memory DC before either is deleted.
    if (dc_ && previous_ != nullptr) {
        SelectObject(dc_.get(), previous_);
    }
    previous_ = nullptr;
    bitmap_.reset();
    dc_.reset();
    size_ = {};
}

void PictureSurface::rebuild(const Win32Picture* picture, HDC reference, SIZE size) {
    clear();
    if (picture == nullptr || size.cx <= 0 || size.cy <= 0) {
        return;
    }
    MemoryDc dc(CreateCompatibleDC(reference));
    BitmapHandle bitmap(CreateCompatibleBitmap(reference, size.cx, size.cy));
    if (!dc || !bitmap) {
        return;
    }
    HGDIOBJ previous = SelectObject(dc.get(), bitmap.get());
    if (previous == nullptr || previous == gdiError()) {
        return;
    }
    // Smooth scaling when the screen's DPI stretches the picture.
    SetStretchBltMode(dc.get(), HALFTONE);
    SetBrushOrgEx(dc.get(), 0, 0, nullptr);
    if (!picture->render(dc.get(), size.cx, size.cy)) {
        SelectObject(dc.get(), previous);
        return;
    }
    dc_ = std::move(dc);
    bitmap_ = std::move(bitmap);
    previous_ = previous;
    size_ = size;
}

void PictureSurface::paint(HDC dc, const RECT& area) const {
    if (empty()) {
        return;
    }
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, dc_.get(),
           area.left, area.top, SRCCOPY);
}

std::optional<COLORREF> PictureSurface::colourAt(POINT pixel) const {
    if (empty() || pixel.x < 0 || pixel.y < 0 || pixel.x >= size_.cx || pixel.y >= size_.cy) {
        return std::nullopt;
    }
    const COLORREF colour = GetPixel(dc_.get(), pixel.x, pixel.y);
    if (colour == CLR_INVALID) {
        return std::nullopt;
    }
    return colour;
}

} // namespace ui::win32
