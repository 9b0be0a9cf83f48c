// While Tarrow.exe runs it holds a mark: the uninstaller, which may run as
// another account or as the system account in another session (as the
// management tools run it), looks for it and puts no setting back under a
// running Tarrow, whose windows would go on showing the settings it found.
//
// The mark is a file in the system directory that only administrators and
// the system account can make or open (see shutdown/system_mark_file.h), so
// a standard user cannot make it first and so block every uninstall. Every
// running Tarrow holds it, sharing it with the others; the uninstaller's
// look, which shares nothing, is refused while any of them does.
#pragma once

#include "platform/handles.h"
#include "platform/platform.h"

#include <string>
#include <string_view>

namespace tarrow::shell {

inline constexpr std::string_view kTarrowRunningFile = "Tarrow.running";

std::string TarrowRunningPath(platform::Platform& platform);

// Tarrow's mark, held until the handle closes (at the process's end at the
// latest). Empty when it could not be made: Tarrow runs all the same.
platform::UniqueHandle HoldTarrowRunningMark(platform::Platform& platform);

// Whether a Tarrow.exe runs on the machine: a process holds its mark.
bool TarrowRuns(platform::Platform& platform);

} // namespace tarrow::shell
