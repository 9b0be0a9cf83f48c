// The mark an uninstall leaves while it removes Tarrow. rollback.exe ends
// before the package deletes the program and rollback.exe; a
// Tarrow started in between must not apply a change that nothing could
// then undo. So rollback.exe, once it has put everything back, leaves
// HKLM\SOFTWARE\Tarrow "UninstallInProgress" (the time it was left), and the
// package removes it as its last step, or when the uninstall stops or rolls
// back. A mark older than kUninstallMarkLifetime is stale: no package takes
// that long after rollback.exe, so it was left by rollback.exe run by hand,
// or by an uninstall the power cut short.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <string_view>

namespace tarrow::shutdown {

inline constexpr std::string_view kUninstallMarkValue = "UninstallInProgress";
// Ten minutes, in the 100-nanosecond units of the system's clock.
inline constexpr std::uint64_t kUninstallMarkLifetime = 10ull * 60 * 10'000'000;

// Leaves the mark and writes it to disk. True when it is there.
bool LeaveUninstallMark(platform::Platform& platform);

// Whether an uninstall is removing Tarrow now: the mark is there and not
// stale. A stale one is removed on the way.
bool UninstallInProgress(platform::Platform& platform);

} // namespace tarrow::shutdown
