// The SECURITY_ATTRIBUTES of one call, made from the seam's: the security
// descriptor converted from its SDDL text, and freed again with the object.
#pragma once

#include "platform/types.h"

#include <windows.h>

#include <memory>

namespace platform {

class Win32SecurityAttributes {
public:
    explicit Win32SecurityAttributes(const SecurityAttributes* security);
    Win32SecurityAttributes(const Win32SecurityAttributes&) = delete;
    Win32SecurityAttributes& operator=(const Win32SecurityAttributes&) = delete;

    // False when the descriptor's text did not convert; the last error
    // says why.
    bool valid() const { return valid_; }
    // What the call takes: nullptr when it was given none.
    SECURITY_ATTRIBUTES* get() { return given_ ? &attributes_ : nullptr; }

private:
    struct LocalFreeDeleter {
        void operator()(void* memory) const { ::LocalFree(memory); }
    };

    SECURITY_ATTRIBUTES attributes_{};
    std::unique_ptr<void, LocalFreeDeleter> descriptor_;
    bool given_ = false;
    bool valid_ = true;
};

} // namespace platform
