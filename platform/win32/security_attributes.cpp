#include "platform/win32/security_attributes.h"

#include <sddl.h>

namespace platform {

Win32SecurityAttributes::Win32SecurityAttributes(const SecurityAttributes* security)
    : given_(security != nullptr) {
    if (security == nullptr) {
        return;
    }
    attributes_.nLength = sizeof(SECURITY_ATTRIBUTES);
    attributes_.bInheritHandle = security->inheritHandle ? TRUE : FALSE;
    if (security->securityDescriptor.empty()) {
        return;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    valid_ =
        ::ConvertStringSecurityDescriptorToSecurityDescriptorA(
            security->securityDescriptor.c_str(), SDDL_REVISION_1, &descriptor, nullptr) != FALSE;
    descriptor_.reset(descriptor);
    attributes_.lpSecurityDescriptor = descriptor;
}

} // namespace platform
