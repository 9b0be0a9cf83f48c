// A file in the system directory that marks something machine-wide for as
// long as a process holds it open. Only the system account and
// administrators can make or open it, so a standard user can neither take
// it first nor keep it from everyone else; and it goes when its last handle
// closes, also when the process that held it is ended. A power cut can leave
// it behind without a holder: whoever looks for a holder then deletes it.
#pragma once

#include "platform/handles.h"
#include "platform/platform.h"

#include <cstdint>
#include <string>

namespace tarrow::shutdown {

// SYSTEM and the Administrators group: full control; nobody else anything.
inline constexpr const char* kAdministratorsOnly = "D:P(A;;FA;;;SY)(A;;FA;;;BA)";

struct HeldMark {
    platform::UniqueHandle handle;
    // Why it could not be held: kErrorSharingViolation while another
    // process holds it in a way that excludes this one.
    std::uint32_t error = 0;
};

// Opens, creating it when missing, the mark file at `path`, sharing it as
// `share` says (0: with nobody).
HeldMark HoldMarkFile(platform::Platform& platform, const std::string& path, std::uint32_t share);

// Whether a process holds the mark file: an open that shares nothing is
// refused while one does.
bool MarkFileHeld(platform::Platform& platform, const std::string& path);

} // namespace tarrow::shutdown
