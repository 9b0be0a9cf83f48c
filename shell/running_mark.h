// While Tarrow.exe runs it holds a named mutex in the global namespace: the
// uninstaller, which may run as another account or as the system account in
// another session (as the management tools run it), looks for it and puts
// no setting back under a running Tarrow, whose windows would go on showing
// the settings it found.
#pragma once

#include "platform/handles.h"
#include "platform/platform.h"

#include <string_view>

namespace tarrow::shell {

inline constexpr std::string_view kTarrowRunningMutex = "Global\\TarrowRunning";

// Tarrow's mark, held until the handle closes (at the process's end at the
// latest). Empty when it could not be made: Tarrow runs all the same.
platform::UniqueHandle HoldTarrowRunningMark(platform::Platform& platform);

// Whether a Tarrow.exe runs on the machine: its mark exists, whether or not
// this account may open it.
bool TarrowRuns(platform::Platform& platform);

} // namespace tarrow::shell
