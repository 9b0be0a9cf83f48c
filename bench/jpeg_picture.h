// A JPEG file loaded and drawn the way Tarrow's windows do it (OLE's
// picture loader), for the benchmark's own small programs.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <string>

namespace bench {

class JpegPicture {
public:
    explicit JpegPicture(const std::string& path);
    ~JpegPicture();
    JpegPicture(const JpegPicture&) = delete;
    JpegPicture& operator=(const JpegPicture&) = delete;

    bool loaded() const { return picture_ != nullptr; }
    // Draws it over the whole of width x height.
    void render(HDC dc, int width, int height) const;

private:
    IPicture* picture_ = nullptr;
    SIZE himetric_{};
};

} // namespace bench
