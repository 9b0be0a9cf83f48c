// Where the saved settings lie and how they move. The apply saves them in
// the program folder and moves them into the system directory, the one
// folder that both programs know; the restore and the uninstaller copy them
// back into their own folder before they read them.
#pragma once

#include "platform/platform.h"

#include <string>

namespace tarrow::shutdown {

// The folder of the running executable.
std::string ProgramFolder(platform::Platform& platform);

// What happened to each of the two saved files in one move.
struct SavedFilesStep {
    bool values = false; // informationS.dat
    bool sound = false;  // Importreg.dat
};

// Copies informationS.dat, then Importreg.dat, from one folder into the
// other, each replacing the file there. A file missing in `fromFolder`
// leaves the one in `toFolder` as it was. An empty folder (the system
// directory could not be found) copies nothing: the bare file name would
// name the root of the current drive.
SavedFilesStep CopySavedFiles(platform::Platform& platform, const std::string& fromFolder,
                              const std::string& toFolder);

// Deletes informationS.dat, then Importreg.dat, in the folder, each only
// where `which` says so. Reports which are gone afterwards (also those
// that were not there).
SavedFilesStep DeleteSavedFiles(platform::Platform& platform, const std::string& folder,
                                SavedFilesStep which = {true, true});

} // namespace tarrow::shutdown
