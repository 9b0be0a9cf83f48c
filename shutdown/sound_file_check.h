// Whether an Importreg.dat can be put back: checked before the restore
// writes anything, so that a file the registry would refuse stops the
// restore before its first write rather than after the 26 values. The hive
// format is the system's own business (under Wine RegSaveKeyA writes Wine's
// text format), so the file is tried the way the restore will use it:
// loaded as a hive and unloaded again.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tarrow::shutdown {

// A sound key's hive file is far smaller: a longer one is damaged.
inline constexpr std::size_t kSoundFileLimit = 1024 * 1024;
// The name under HKEY_USERS that the file is loaded as for the check.
inline constexpr std::string_view kSoundCheckHive = "Tarrow sound check";
// The copy of the file that is loaded, beside it.
inline constexpr std::string_view kSoundCheckSuffix = ".check";

enum class SoundFileCheck {
    Sound,     // it loads as a hive
    Damaged,   // it cannot be read whole, is empty or longer than the limit, or
               // does not load as a hive
    Unchecked, // the check could not be made (the privileges a hive load
               // needs cannot be had) or finished (the hive would not unload):
               // the restore then fails to use it too, and says so itself
};

SoundFileCheck CheckSoundFile(platform::Platform& platform, const std::string& path);

} // namespace tarrow::shutdown
