#include "shutdown/saved_copy.h"

#include "platform/files.h"
#include "registry/modregistry.h"
#include "shutdown/sound_file_check.h"

#include <vector>

namespace tarrow::shutdown {

using platform::Platform;

namespace {

bool Exists(Platform& platform, const std::string& path) {
    return platform.GetFileAttributesA(path) != platform::kInvalidFileAttributes;
}

// The file is gone afterwards, whether it was there or not.
bool Delete(Platform& platform, const std::string& path) {
    return platform.DeleteFileA(path) || !Exists(platform, path);
}

SavedCopy ReadCopyIn(Platform& platform, const std::string& folder) {
    SavedCopy copy;
    if (folder.empty()) {
        return copy;
    }
    copy.folder = folder;
    const auto read = platform::ReadFileAtMost(platform, copy.valuesPath(), kSavedFileLimit);
    switch (read.result) {
    case platform::BoundedRead::Result::Missing:
        copy.state = SavedCopy::State::None;
        return copy;
    case platform::BoundedRead::Result::Read:
        if (const auto values = ParseSavedText(read.content)) {
            copy.state = SavedCopy::State::Valid;
            copy.values = *values;
        } else {
            copy.state = SavedCopy::State::Damaged;
        }
        break;
    case platform::BoundedRead::Result::TooLong:
    case platform::BoundedRead::Result::Unreadable:
        copy.state = SavedCopy::State::Damaged;
        break;
    }
    copy.hasSound = Exists(platform, copy.soundPath());
    if (copy.state == SavedCopy::State::Valid && copy.hasSound &&
        CheckSoundFile(platform, copy.soundPath()) == SoundFileCheck::Damaged) {
        copy.state = SavedCopy::State::Damaged;
    }
    return copy;
}

// Moves a file that is flushed and read into place, and reads it back.
bool MoveIntoPlaceChecked(Platform& platform, const std::string& temporary, const std::string& path,
                          const std::string& content) {
    if (!platform::MoveIntoPlace(platform, temporary, path)) {
        platform.DeleteFileA(temporary);
        return false;
    }
    const auto back = platform::ReadWholeFile(platform, path);
    return back && *back == content;
}

} // namespace

std::string ProgramFolder(Platform& platform) {
    return platform::FolderOf(platform.GetModuleFileNameA());
}

std::string SavedCopyFolderAsShown(Platform& platform) {
    return modregistry::VisibleSystemDirectory(platform);
}

SavedCopy FindSavedCopy(Platform& platform, const std::string& systemDirectory,
                        const std::string& programFolder) {
    SavedCopy copy = ReadCopyIn(platform, systemDirectory);
    if (copy.state == SavedCopy::State::None && programFolder != systemDirectory) {
        copy = ReadCopyIn(platform, programFolder);
    }
    return copy;
}

bool SaveValuesFile(Platform& platform, const std::string& folder, const SavedValues& values) {
    return !folder.empty() &&
           platform::WriteFileDurably(platform, SavedFilePath(folder, kSavedValuesFile),
                                      ComposeSavedText(values));
}

bool SaveSoundFile(Platform& platform, const std::string& folder, const AccountKeys& account) {
    if (folder.empty()) {
        return false;
    }
    const std::string path = SavedFilePath(folder, kSavedSoundFile);
    const std::string temporary = platform::TemporaryPathFor(path);
    if (!modregistry::SaveKey(platform, account.root, account.path(kShutdownSoundKey), temporary)) {
        return false;
    }
    const auto saved = platform::ReadWholeFile(platform, temporary);
    if (!saved || saved->empty() || !platform::FlushFile(platform, temporary)) {
        platform.DeleteFileA(temporary);
        return false;
    }
    return MoveIntoPlaceChecked(platform, temporary, path, *saved);
}

bool CopySoundFile(Platform& platform, const std::string& from, const std::string& folder) {
    const auto read = platform::ReadFileAtMost(platform, from, kSoundFileLimit);
    return read.result == platform::BoundedRead::Result::Read && !folder.empty() &&
           platform::WriteFileDurably(platform, SavedFilePath(folder, kSavedSoundFile),
                                      read.content);
}

bool SetDamagedCopyAside(Platform& platform, const SavedCopy& copy) {
    return platform.MoveFileExA(copy.valuesPath(), copy.valuesPath() + std::string(kSetAsideSuffix),
                                platform::kMoveFileReplaceExisting |
                                    platform::kMoveFileWriteThrough);
}

bool DeleteSavedCopies(Platform& platform, const std::string& systemDirectory,
                       const std::string& programFolder, const std::string& recordFolder) {
    std::vector<std::string> folders;
    for (const std::string& folder : {programFolder, systemDirectory}) {
        if (!folder.empty() && folder != recordFolder) {
            folders.push_back(folder);
        }
    }
    if (!recordFolder.empty()) {
        folders.push_back(recordFolder);
    }
    bool gone = true;
    for (const std::string& folder : folders) {
        const std::string sound = SavedFilePath(folder, kSavedSoundFile);
        gone = Delete(platform, sound) && gone;
        gone = Delete(platform, platform::TemporaryPathFor(sound)) && gone;
        const std::string values = SavedFilePath(folder, kSavedValuesFile);
        gone = Delete(platform, platform::TemporaryPathFor(values)) && gone;
    }
    // The record goes only when nothing else is left beside it.
    if (!gone) {
        return false;
    }
    for (const std::string& folder : folders) {
        gone = Delete(platform, SavedFilePath(folder, kSavedValuesFile)) && gone;
    }
    return gone;
}

} // namespace tarrow::shutdown
