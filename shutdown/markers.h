// The two marker values that record a speed-up in force.
#pragma once

#include "platform/platform.h"

namespace tarrow::shutdown {

// "Change" and then "Beforce" set to "1". True when both were written.
bool SetMarkers(platform::Platform& platform);
// "Beforce" and then "Change" set to "0". True when both were written.
bool ClearMarkers(platform::Platform& platform);

} // namespace tarrow::shutdown
