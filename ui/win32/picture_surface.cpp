#include "ui/win32/picture_surface.h"

#include "ui/win32/picture_loader.h"

#include <utility>

namespace ui::win32 {

PictureSurface::~PictureSurface() {
    clear();
}

void PictureSurface::clear() {
    // The bitmap must leave the memory DC before either is freed.
    if (dc_ && previous_ != nullptr) {
        SelectObject(dc_.get(), previous_);
    }
    previous_ = nullptr;
    dc_.reset();
    stretched_.reset();
    picture_.reset();
    size_ = {};
}

void PictureSurface::rebuild(std::shared_ptr<const Win32Picture> picture, HDC reference,
                             SIZE size) {
    clear();
    if (picture == nullptr || size.cx <= 0 || size.cy <= 0) {
        return;
    }
    MemoryDc dc(CreateCompatibleDC(reference));
    if (!dc) {
        return;
    }
    const auto own = picture->ownBitmap();
    if (own && own->size.cx == size.cx && own->size.cy == size.cy) {
        HGDIOBJ previous = SelectObject(dc.get(), own->bitmap);
        if (previous == nullptr || previous == gdiError()) {
            return;
        }
        previous_ = previous;
        picture_ = std::move(picture);
    } else {
        BitmapHandle stretched(CreateCompatibleBitmap(reference, size.cx, size.cy));
        if (!stretched) {
            return;
        }
        HGDIOBJ previous = SelectObject(dc.get(), stretched.get());
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
        previous_ = previous;
        stretched_ = std::move(stretched);
    }
    dc_ = std::move(dc);
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
