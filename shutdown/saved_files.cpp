#include "shutdown/saved_files.h"

#include "platform/files.h"
#include "shutdown/saved_settings.h"

namespace tarrow::shutdown {

using platform::Platform;

namespace {

bool CopyOne(Platform& platform, const std::string& fromFolder, const std::string& toFolder,
             std::string_view file) {
    if (fromFolder.empty() || toFolder.empty()) {
        return false;
    }
    return platform.CopyFileA(SavedFilePath(fromFolder, file), SavedFilePath(toFolder, file),
                              false);
}

bool DeleteOne(Platform& platform, const std::string& folder, std::string_view file) {
    if (folder.empty()) {
        return false;
    }
    const std::string path = SavedFilePath(folder, file);
    return platform.DeleteFileA(path) ||
           platform.GetFileAttributesA(path) == platform::kInvalidFileAttributes;
}

} // namespace

std::string ProgramFolder(Platform& platform) {
    return platform::FolderOf(platform.GetModuleFileNameA());
}

SavedFilesStep CopySavedFiles(Platform& platform, const std::string& fromFolder,
                              const std::string& toFolder) {
    SavedFilesStep copied;
    copied.values = CopyOne(platform, fromFolder, toFolder, kSavedValuesFile);
    copied.sound = CopyOne(platform, fromFolder, toFolder, kSavedSoundFile);
    return copied;
}

SavedFilesStep DeleteSavedFiles(Platform& platform, const std::string& folder,
                                SavedFilesStep which) {
    SavedFilesStep gone;
    gone.values = which.values && DeleteOne(platform, folder, kSavedValuesFile);
    gone.sound = which.sound && DeleteOne(platform, folder, kSavedSoundFile);
    return gone;
}

} // namespace tarrow::shutdown
