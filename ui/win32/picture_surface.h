// A form's picture as painting copies it, at the client area's size. A
// picture that already has that size in pixels is copied from its own
// bitmap, so the window holds its pixels once; any other is drawn once,
// stretched, into a bitmap of the surface's own. The surface also tells the
// colour under a point, so real controls laid on the picture can take the
// colour around them.
#pragma once

#include "ui/win32/gdi_handles.h"

#include <windows.h>

#include <memory>
#include <optional>

namespace ui::win32 {

class Win32Picture;

class PictureSurface {
public:
    PictureSurface() = default;
    PictureSurface(const PictureSurface&) = delete;
    PictureSurface& operator=(const PictureSurface&) = delete;
    ~PictureSurface();

    // Shows `picture` at `size`, compatible with `reference`; without a
    // picture, or when drawing fails, the surface is empty.
    void rebuild(std::shared_ptr<const Win32Picture> picture, HDC reference, SIZE size);
    bool empty() const { return !dc_; }
    // Copies the area `area` of the surface to the same place in `dc`.
    void paint(HDC dc, const RECT& area) const;
    // The colour at a pixel of the surface, if the surface has that pixel.
    std::optional<COLORREF> colourAt(POINT pixel) const;

private:
    void clear();
    bool drawStretched(const Win32Picture& picture, HDC reference);

    MemoryDc dc_;
    // What `dc_` holds: the picture's own bitmap (the picture is kept while
    // it is selected, so that it cannot be freed there), or a stretched copy.
    std::shared_ptr<const Win32Picture> picture_;
    BitmapHandle stretched_;
    HGDIOBJ previous_ = nullptr; // what `dc_` held before
    SIZE size_{};
};

} // namespace ui::win32
