// Owning wrappers for the window-system handles the Win32 driver makes:
// windows, GDI objects, device contexts, global memory, files and COM
// interfaces. Each releases its handle the way that handle must be released,
// on every path out of a scope.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace ui::win32 {

// A handle with one release function and one "none" value.
template <typename Raw, typename Traits> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Raw raw) : raw_(raw) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : raw_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    Raw get() const { return raw_; }
    explicit operator bool() const { return Traits::valid(raw_); }
    Raw release() { return std::exchange(raw_, Traits::none()); }
    void reset(Raw raw = Traits::none()) {
        const Raw old = std::exchange(raw_, raw);
        if (Traits::valid(old)) {
            Traits::close(old);
        }
    }

private:
    Raw raw_ = Traits::none();
};

namespace detail {

template <typename Raw> struct NullIsNone {
    static Raw none() { return nullptr; }
    static bool valid(Raw raw) { return raw != nullptr; }
};

struct DestroyWindowTraits : NullIsNone<HWND> {
    static void close(HWND hwnd) { DestroyWindow(hwnd); }
};

template <typename Object> struct DeleteObjectTraits : NullIsNone<Object> {
    static void close(Object object) { DeleteObject(object); }
};

struct DeleteDcTraits : NullIsNone<HDC> {
    static void close(HDC dc) { DeleteDC(dc); }
};

struct GlobalFreeTraits : NullIsNone<HGLOBAL> {
    static void close(HGLOBAL memory) { GlobalFree(memory); }
};

struct CloseFileTraits {
    static HANDLE none() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE file) { return file != INVALID_HANDLE_VALUE && file != nullptr; }
    static void close(HANDLE file) { CloseHandle(file); }
};

} // namespace detail

using WindowHandle = UniqueHandle<HWND, detail::DestroyWindowTraits>;
using FontHandle = UniqueHandle<HFONT, detail::DeleteObjectTraits<HFONT>>;
using BrushHandle = UniqueHandle<HBRUSH, detail::DeleteObjectTraits<HBRUSH>>;
using BitmapHandle = UniqueHandle<HBITMAP, detail::DeleteObjectTraits<HBITMAP>>;
// A memory device context from CreateCompatibleDC.
using MemoryDc = UniqueHandle<HDC, detail::DeleteDcTraits>;
using GlobalMemory = UniqueHandle<HGLOBAL, detail::GlobalFreeTraits>;
using FileHandle = UniqueHandle<HANDLE, detail::CloseFileTraits>;

// The device context of a window, from GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(hwnd_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint and EndPaint around the handling of WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &paint_)) {}
    ~PaintDc() { EndPaint(hwnd_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const { return dc_; }
    const RECT& area() const { return paint_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// What SelectObject returns when it fails: the handle with every bit set.
// The SDK's HGDI_ERROR makes it by passing the unsigned constant 0xFFFFFFFF
// to a function that takes a signed long, a conversion that 64-bit builds
// reject as changing the value; this is the same handle without it.
inline HGDIOBJ gdiError() {
    return reinterpret_cast<HGDIOBJ>(static_cast<LONG_PTR>(-1));
}

// An object selected into a device context until the end of a scope; the
// object that was selected before is put back.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() {
        if (previous_ != nullptr && previous_ != gdiError()) {
            SelectObject(dc_, previous_);
        }
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// One reference to a COM interface.
template <typename Interface> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : raw_(std::exchange(other.raw_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            raw_ = std::exchange(other.raw_, nullptr);
        }
        return *this;
    }

    Interface* get() const { return raw_; }
    Interface* operator->() const { return raw_; }
    explicit operator bool() const { return raw_ != nullptr; }
    void reset() {
        if (raw_ != nullptr) {
            std::exchange(raw_, nullptr)->Release();
        }
    }
    // For out-parameters of the `void**` kind (OleLoadPicture, QueryInterface).
    void** put() {
        reset();
        return reinterpret_cast<void**>(&raw_);
    }
    // For out-parameters typed as the interface (CreateStreamOnHGlobal).
    Interface** putTyped() {
        reset();
        return &raw_;
    }

private:
    Interface* raw_ = nullptr;
};

} // namespace ui::win32
