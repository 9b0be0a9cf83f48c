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
    // A loaded hive file is held open, may be written back, and gets log
    // files beside it: the check loads a copy of the saved file, never the
    // file itself, and removes the copy and its logs afterwards.
    const std::string trial = path + std::string(kSoundCheckSuffix);
    if (!platform.CopyFileA(path, trial, false)) {
        return SoundFileCheck::Unchecked;
    }
    const long status = platform.RegLoadKeyA(platform::kHkeyUsers, hive, trial);
    SoundFileCheck result = SoundFileCheck::Sound;
    if (status == platform::kErrorPrivilegeNotHeld) {
        result = SoundFileCheck::Unchecked;
    } else if (status != platform::kErrorSuccess) {
        result = SoundFileCheck::Damaged;
    } else if (platform.RegUnLoadKeyA(platform::kHkeyUsers, hive) != platform::kErrorSuccess) {
        result = SoundFileCheck::Unchecked;
    }
    for (const char* log : {"", ".LOG", ".LOG1", ".LOG2"}) {
        platform.DeleteFileA(trial + log);
    }
    return result;
}

} // namespace tarrow::shutdown
