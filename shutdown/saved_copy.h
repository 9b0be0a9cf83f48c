// The saved copy of the settings on disk: informationS.dat and, beside it,
// Importreg.dat. Its lasting place is the system directory, the one folder
// both programs know; an earlier version could leave it in the program
// folder when its copy into the system directory failed. A copy is written
// so that a crash leaves either the old one or the new one whole.
#pragma once

#include "platform/platform.h"
#include "shutdown/account_keys.h"
#include "shutdown/saved_settings.h"

#include <string>
#include <string_view>

namespace tarrow::shutdown {

// The folder of the running executable.
std::string ProgramFolder(platform::Platform& platform);

// The system directory as a person looking for the saved copy finds it, for
// the boxes that name the file.
std::string SavedCopyFolderAsShown(platform::Platform& platform);

// What a damaged copy becomes when it is set aside: informationS.dat.damaged.
inline constexpr std::string_view kSetAsideSuffix = ".damaged";

struct SavedCopy {
    enum class State {
        None,    // no informationS.dat: nothing is saved
        Damaged, // informationS.dat cannot be read, or is not a sound saved
                 // file; or the Importreg.dat beside it fails its check
        Valid,
    };
    State state = State::None;
    SavedValues values;    // when Valid
    std::string folder;    // where informationS.dat lies (Valid, Damaged)
    bool hasSound = false; // an Importreg.dat lies beside it

    std::string valuesPath() const { return SavedFilePath(folder, kSavedValuesFile); }
    std::string soundPath() const { return SavedFilePath(folder, kSavedSoundFile); }
};

// The copy in the system directory, or else one an earlier version left in
// the program folder. A file longer than kSavedFileLimit is damaged, and so
// is a copy whose Importreg.dat fails CheckSoundFile.
SavedCopy FindSavedCopy(platform::Platform& platform, const std::string& systemDirectory,
                        const std::string& programFolder);

// Writes informationS.dat into the folder (see WriteFileDurably). True when
// it lies there, read back whole.
bool SaveValuesFile(platform::Platform& platform, const std::string& folder,
                    const SavedValues& values);

// Saves the account's shutdown-sound key as Importreg.dat in the folder the
// same way: to a temporary name, flushed, moved into place and read back.
bool SaveSoundFile(platform::Platform& platform, const std::string& folder,
                   const AccountKeys& account);

// Puts a copy of an existing Importreg.dat (at most kSoundFileLimit long)
// into the folder the same way.
bool CopySoundFile(platform::Platform& platform, const std::string& from,
                   const std::string& folder);

// Moves the copy's informationS.dat out of the way as
// informationS.dat.damaged beside it, replacing an older one, so that what
// may still be read by hand is kept. True when it is moved.
bool SetDamagedCopyAside(platform::Platform& platform, const SavedCopy& copy);

// Deletes the saved files and their temporaries in both folders: every
// Importreg.dat first, then, when they are gone, informationS.dat, the one
// in `recordFolder` last, for it is what tells that a copy exists. True
// when none is left.
bool DeleteSavedCopies(platform::Platform& platform, const std::string& systemDirectory,
                       const std::string& programFolder, const std::string& recordFolder);

} // namespace tarrow::shutdown
