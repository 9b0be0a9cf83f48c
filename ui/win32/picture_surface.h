// A form's picture drawn once, stretched to the client area, into a bitmap
// that painting then only copies. It also tells the colour under a point, so
// real controls laid on the picture can take the colour around them.
#pragma once

#include "ui/win32/gdi_handles.h"

#include <windows.h>

#include <optional>

namespace ui::win32 {

class Win32Picture;

class PictureSurface {
public:
    PictureSurface() = default;
    PictureSurface(const PictureSurface&) = delete;
    PictureSurface& operator=(const PictureSurface&) = delete;
    ~PictureSurface();

    // Draws `picture` at `size`, compatible with `reference`; without a
    // picture, or when drawing fails, the surface is empty.
    void rebuild(const Win32Picture* picture, HDC reference, SIZE size);
    bool empty() const { return !bitmap_; }
    // Copies the area `area` of the surface to the same place in `dc`.
    void paint(HDC dc, const RECT& area) const;
    // The colour at a pixel of the surface, if the surface has that pixel.
    std::optional<COLORREF> colourAt(POINT pixel) const;

private:
    void clear();

    MemoryDc dc_;
    BitmapHandle bitmap_;
    HGDIOBJ previous_ = nullptr; // what `dc_` held before `bitmap_`
    SIZE size_{};
};

} // namespace ui::win32
