// One machine-wide lock for Tarrow's operations: an apply, a restore and an
// uninstall each hold it for their whole run and read the state afresh once
// they have it, so that two of them never interleave (two Tarrow windows, in
// one account or in two, or Tarrow and the uninstaller). A second operation
// waits for it a bounded time, then gives up and says so.
#pragma once

#include "platform/handles.h"
#include "platform/platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarrow::shutdown {

inline constexpr std::string_view kOperationLockFile = "Tarrow.lock";

// How long each program waits. Tarrow's window thread is blocked meanwhile,
// and Windows calls a window that does not answer for 5 s "not responding".
inline constexpr std::uint32_t kTarrowLockWaitMs = 3000;
// The uninstaller runs unattended.
inline constexpr std::uint32_t kUninstallLockWaitMs = 60000;

class OperationLock {
public:
    OperationLock(platform::Platform& platform, platform::UniqueHandle handle)
        : platform_(&platform), handle_(std::move(handle)) {}
    // Whether the lock is held; false when it could not be made at all (no
    // system directory, say): the operation then goes on as it would
    // without one, and fails at its own first step.
    bool held() const { return static_cast<bool>(handle_); }
    // Makes what the operation created, moved and deleted on the volume
    // last: the file system writes such changes to disk lazily, up to the
    // next flush of any file, and the lock's own file is one at hand.
    bool commit();

private:
    platform::Platform* platform_ = nullptr;
    platform::UniqueHandle handle_;
};

// Takes the lock, waiting up to `waitMs` while another operation holds it;
// nothing when it is still held by then.
std::optional<OperationLock> TakeOperationLock(platform::Platform& platform, std::uint32_t waitMs);

std::string OperationLockPath(platform::Platform& platform);

} // namespace tarrow::shutdown
