#include "ui/win32/picture_loader.h"

#include <cstring>
#include <utility>

namespace ui::win32 {

namespace {

// The whole file in movable global memory, as CreateStreamOnHGlobal wants
// it; empty when the file cannot be read.
GlobalMemory ReadIntoGlobalMemory(const std::string& path, DWORD& size) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return {};
    }
    DWORD high = 0;
    size = GetFileSize(file.get(), &high);
    if (size == INVALID_FILE_SIZE || high != 0 || size == 0) {
        return {};
    }
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory) {
        return {};
    }
    void* bytes = GlobalLock(memory.get());
    if (bytes == nullptr) {
        return {};
    }
    DWORD read = 0;
    const BOOL ok = ReadFile(file.get(), bytes, size, &read, nullptr);
    GlobalUnlock(memory.get());
    if (!ok || read != size) {
        return {};
    }
    return memory;
}

} // namespace

namespace {

std::optional<Win32Picture::OwnBitmap> OwnBitmapOf(IPicture& picture) {
    SHORT type = PICTYPE_UNINITIALIZED;
    DWORD attributes = 0;
    OLE_HANDLE handle = 0;
    if (FAILED(picture.get_Type(&type)) || type != PICTYPE_BITMAP ||
        FAILED(picture.get_Attributes(&attributes)) || (attributes & PICTURE_TRANSPARENT) != 0 ||
        FAILED(picture.get_Handle(&handle))) {
        return std::nullopt;
    }
    // OLE_HANDLE is 32 bits wide everywhere, as GDI handles' values are.
    auto* bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    BITMAP shape{};
    if (GetObjectA(bitmap, sizeof shape, &shape) != sizeof shape || shape.bmWidth <= 0 ||
        shape.bmHeight <= 0) {
        return std::nullopt;
    }
    return Win32Picture::OwnBitmap{bitmap, {shape.bmWidth, shape.bmHeight}};
}

} // namespace

Win32Picture::Win32Picture(std::string path, ComPtr<IPicture> picture, SIZE himetric)
    : path_(std::move(path)), picture_(std::move(picture)), himetric_(himetric),
      ownBitmap_(OwnBitmapOf(*picture_.get())) {}

bool Win32Picture::render(HDC dc, int width, int height) const {
    // HIMETRIC runs upwards: the source starts at the bottom edge and has a
    // negative height, so the picture comes out the right way up.
    return SUCCEEDED(picture_->Render(dc, 0, 0, width, height, 0, himetric_.cy, himetric_.cx,
                                      -himetric_.cy, nullptr));
}

namespace {

// A copy of the resource's bytes in movable global memory.
GlobalMemory CopyResourceIntoGlobalMemory(int id, DWORD& size) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10)); // RT_RCDATA
    if (found == nullptr) {
        return {};
    }
    size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found); // belongs to the module: never freed
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0) {
        return {};
    }
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, size));
    void* copy = memory ? GlobalLock(memory.get()) : nullptr;
    if (copy == nullptr) {
        return {};
    }
    std::memcpy(copy, bytes, size);
    GlobalUnlock(memory.get());
    return memory;
}

std::shared_ptr<const Win32Picture> LoadPictureFromMemory(std::string name,
                                                          const GlobalMemory& memory, DWORD size) {
    if (!memory) {
        return nullptr;
    }
    ComPtr<IStream> stream;
    // The stream does not own the memory: the caller frees it after the load.
    if (FAILED(CreateStreamOnHGlobal(memory.get(), FALSE, stream.putTyped()))) {
        return nullptr;
    }
    ComPtr<IPicture> picture;
    if (FAILED(OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                              picture.put())) ||
        !picture) {
        return nullptr;
    }
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    if (FAILED(picture->get_Width(&width)) || FAILED(picture->get_Height(&height)) || width <= 0 ||
        height <= 0) {
        return nullptr;
    }
    return std::make_shared<const Win32Picture>(std::move(name), std::move(picture),
                                                SIZE{width, height});
}

} // namespace

std::shared_ptr<const Win32Picture> LoadPictureFile(const std::string& path) {
    DWORD size = 0;
    const GlobalMemory memory = ReadIntoGlobalMemory(path, size);
    return LoadPictureFromMemory(path, memory, size);
}

std::shared_ptr<const Win32Picture> LoadPictureResource(int id) {
    DWORD size = 0;
    const GlobalMemory memory = CopyResourceIntoGlobalMemory(id, size);
    return LoadPictureFromMemory("resource " + std::to_string(id), memory, size);
}

} // namespace ui::win32
