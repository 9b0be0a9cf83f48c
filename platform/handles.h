// Owning wrappers for the handles that the seam hands out. Each closes its
// handle through the platform that opened it, on every path out of a scope.
#pragma once

#include "platform/platform.h"

#include <utility>

namespace platform {

namespace detail {

struct CloseKey {
    static bool valid(Key key) { return key != 0; }
    static void close(Platform& p, Key key) { p.RegCloseKey(key); }
};

struct CloseKernelHandle {
    static bool valid(Handle h) { return h != 0 && h != kInvalidHandle; }
    static void close(Platform& p, Handle h) { p.CloseHandle(h); }
};

struct CloseFind {
    static bool valid(Handle h) { return h != 0 && h != kInvalidHandle; }
    static void close(Platform& p, Handle h) { p.FindClose(h); }
};

} // namespace detail

template <typename Raw, typename Closer> class UniqueResource {
public:
    explicit UniqueResource(Platform& platform, Raw raw = 0) : platform_(&platform), raw_(raw) {}
    ~UniqueResource() { reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept
        : platform_(other.platform_), raw_(std::exchange(other.raw_, Raw{})) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) {
            reset();
            platform_ = other.platform_;
            raw_ = std::exchange(other.raw_, Raw{});
        }
        return *this;
    }

    Raw get() const { return raw_; }
    bool valid() const { return Closer::valid(raw_); }
    explicit operator bool() const { return valid(); }

    // For out-parameters: closes what is held, then lends the slot.
    Raw* put() {
        reset();
        return &raw_;
    }
    Raw release() { return std::exchange(raw_, Raw{}); }
    void reset(Raw raw = Raw{}) {
        if (Closer::valid(raw_)) {
            Closer::close(*platform_, raw_);
        }
        raw_ = raw;
    }

private:
    Platform* platform_;
    Raw raw_;
};

using UniqueKey = UniqueResource<Key, detail::CloseKey>;
using UniqueHandle = UniqueResource<Handle, detail::CloseKernelHandle>;
using UniqueFind = UniqueResource<Handle, detail::CloseFind>;

} // namespace platform
