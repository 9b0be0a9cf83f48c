#include "shutdown/system_mark_file.h"

namespace tarrow::shutdown {

using namespace platform;

namespace {

constexpr std::uint32_t kMarkAttributes =
    kFileAttributeHidden | kFileAttributeSystem | kFileFlagDeleteOnClose;

} // namespace

HeldMark HoldMarkFile(Platform& platform, const std::string& path, std::uint32_t share) {
    SecurityAttributes security;
    security.securityDescriptor = kAdministratorsOnly;
    HeldMark held{
        UniqueHandle(platform, platform.CreateFileA(path, kGenericRead | kGenericWrite, share,
                                                    &security, kOpenAlways, kMarkAttributes)),
        0};
    if (!held.handle) {
        held.error = platform.GetLastError();
    }
    return held;
}

bool MarkFileHeld(Platform& platform, const std::string& path) {
    // A mark without a holder opens, and goes when this handle closes.
    const UniqueHandle probe(platform, platform.CreateFileA(path, kGenericRead, 0, nullptr,
                                                            kOpenExisting, kMarkAttributes));
    if (probe) {
        return false;
    }
    return platform.GetLastError() == static_cast<std::uint32_t>(kErrorSharingViolation);
}

} // namespace tarrow::shutdown
