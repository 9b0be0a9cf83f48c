#include "shutdown/operation_lock.h"

#include "registry/modregistry.h"
#include "shutdown/system_mark_file.h"

namespace tarrow::shutdown {

namespace {

constexpr std::uint32_t kRetryMs = 100;

} // namespace

bool OperationLock::commit() {
    return held() && platform_->FlushFileBuffers(handle_.get());
}

std::string OperationLockPath(platform::Platform& platform) {
    const std::string folder = modregistry::GetSystemdir(platform);
    return folder.empty() ? std::string() : folder + "\\" + std::string(kOperationLockFile);
}

std::optional<OperationLock> TakeOperationLock(platform::Platform& platform, std::uint32_t waitMs) {
    const std::string path = OperationLockPath(platform);
    if (path.empty()) {
        return OperationLock(platform, platform::UniqueHandle(platform));
    }
    for (std::uint32_t waited = 0;; waited += kRetryMs) {
        HeldMark mark = HoldMarkFile(platform, path, 0);
        if (mark.handle) {
            return OperationLock(platform, std::move(mark.handle));
        }
        if (mark.error != static_cast<std::uint32_t>(platform::kErrorSharingViolation)) {
            return OperationLock(platform, platform::UniqueHandle(platform));
        }
        if (waited >= waitMs) {
            return std::nullopt;
        }
        platform.Sleep(kRetryMs);
    }
}

} // namespace tarrow::shutdown
