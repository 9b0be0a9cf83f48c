#include "bench/jpeg_picture.h"

namespace bench {

JpegPicture::JpegPicture(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    const DWORD size = GetFileSize(file, nullptr);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    DWORD read = 0;
    if (memory != nullptr) {
        ReadFile(file, GlobalLock(memory), size, &read, nullptr);
        GlobalUnlock(memory);
    }
    CloseHandle(file);
    IStream* stream = nullptr;
    if (memory == nullptr || read != size || FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        if (memory != nullptr) {
            GlobalFree(memory);
        }
        return;
    }
    if (SUCCEEDED(OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                 reinterpret_cast<void**>(&picture_)))) {
        OLE_XSIZE_HIMETRIC width = 0;
        OLE_YSIZE_HIMETRIC height = 0;
        picture_->get_Width(&width);
        picture_->get_Height(&height);
        himetric_ = {width, height};
    }
    stream->Release();
}

JpegPicture::~JpegPicture() {
    if (picture_ != nullptr) {
        picture_->Release();
    }
}

void JpegPicture::render(HDC dc, int width, int height) const {
    if (picture_ != nullptr) {
        picture_->Render(dc, 0, 0, width, height, 0, himetric_.cy, himetric_.cx, -himetric_.cy,
                         nullptr);
    }
}

} // namespace bench
