// Pictures (JPEG, GIF, BMP) loaded with OLE's picture loader and drawn with
// IPicture::Render, or copied from their own bitmap.
#pragma once

#include "ui/driver.h"
#include "ui/win32/gdi_handles.h"

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <memory>
#include <optional>
#include <string>

namespace ui::win32 {

class Win32Picture final : public Picture {
public:
    // The bitmap an opaque bitmap picture holds its pixels in (the picture
    // owns it), and its size in pixels.
    struct OwnBitmap {
        HBITMAP bitmap;
        SIZE size;
    };

    Win32Picture(std::string path, ComPtr<IPicture> picture, SIZE himetric);
    const std::string& path() const override { return path_; }

    // Draws the whole picture stretched to `width` × `height` pixels at the
    // top-left corner of `dc`.
    bool render(HDC dc, int width, int height) const;
    // The picture's own bitmap, which can be copied from instead of drawing
    // the picture, as long as no drawing needs it at the same time; none for
    // pictures with transparent parts or of other kinds (icons, metafiles).
    const std::optional<OwnBitmap>& ownBitmap() const { return ownBitmap_; }

private:
    std::string path_;
    ComPtr<IPicture> picture_;
    SIZE himetric_; // the picture's size in 0.01 mm
    std::optional<OwnBitmap> ownBitmap_;
};

// The picture in the file at `path`, or nullptr when the file cannot be read
// or holds no picture. OLE must be initialised on the calling thread.
std::shared_ptr<const Win32Picture> LoadPictureFile(const std::string& path);
// The picture stored as raw data (RCDATA) under `id` in the running
// executable, or nullptr.
std::shared_ptr<const Win32Picture> LoadPictureResource(int id);

} // namespace ui::win32
