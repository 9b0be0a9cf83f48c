// Pictures (JPEG, GIF, BMP) loaded with OLE's picture loader and drawn with
// IPicture::Render.
#pragma once

#include "ui/driver.h"
#include "ui/win32/gdi_handles.h"

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <memory>
#include <string>

namespace ui::win32 {

class Win32Picture final : public Picture {
public:
    Win32Picture(std::string path, ComPtr<IPicture> picture, SIZE himetric);
    const std::string& path() const override { return path_; }

    // Draws the whole picture stretched to `width` × `height` pixels at the
    // top-left corner of `dc`.
    bool render(HDC dc, int width, int height) const;

private:
    std::string path_;
    ComPtr<IPicture> picture_;
    SIZE himetric_; // the picture's size in 0.01 mm
};

// The picture in the file at `path`, or nullptr when the file cannot be read
// or holds no picture. OLE must be initialised on the calling thread.
std::shared_ptr<const Win32Picture> LoadPictureFile(const std::string& path);
// The picture stored as raw data (RCDATA) under `id` in the running
// executable, or nullptr.
std::shared_ptr<const Win32Picture> LoadPictureResource(int id);

} // namespace ui::win32
