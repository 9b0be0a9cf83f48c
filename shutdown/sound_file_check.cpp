#include "shutdown/sound_file_check.h"

#include "platform/files.h"
#include "platform/handles.h"
#include "registry/modregistry.h"

namespace tarrow::shutdown {

namespace {

bool CheckHiveLoaded(platform::Platform& platform) {
    platform::UniqueKey key(platform);
    return platform.RegOpenKeyExA(platform::kHkeyUsers, std::string(kSoundCheckHive), 0,
                                  platform::kKeyRead, key.put()) == platform::kErrorSuccess;
}

} // namespace

SoundFileCheck CheckSoundFile(platform::Platform& platform, const std::string& path) {
    const auto read = platform::ReadFileAtMost(platform, path, kSoundFileLimit);
    if (read.result != platform::BoundedRead::Result::Read || read.content.empty()) {
        return SoundFileCheck::Damaged;
    }
    if (!modregistry::EnablePrivilege(platform, "SeBackupPrivilege") ||
        !modregistry::EnablePrivilege(platform, "SeRestorePrivilege")) {
        return SoundFileCheck::Unchecked;
    }
    const std::string hive(kSoundCheckHive);
    // A check that could not unload its hive left it there; it goes first.
    if (CheckHiveLoaded(platform)) {
        platform.RegUnLoadKeyA(platform::kHkeyUsers, hive);
    }
    const long status = platform.RegLoadKeyA(platform::kHkeyUsers, hive, path);
    if (status == platform::kErrorPrivilegeNotHeld) {
        return SoundFileCheck::Unchecked;
    }
    if (status != platform::kErrorSuccess) {
        return SoundFileCheck::Damaged;
    }
    // Loaded, it holds its file open: the restore could not read it.
    return platform.RegUnLoadKeyA(platform::kHkeyUsers, hive) == platform::kErrorSuccess
               ? SoundFileCheck::Sound
               : SoundFileCheck::Unchecked;
}

} // namespace tarrow::shutdown
