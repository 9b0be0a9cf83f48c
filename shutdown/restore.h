// Putting the saved settings back: the markers go to "0", the saved files
// come from the system directory into the program folder, each saved value
// goes back to the place and value it was read from, and the shutdown-sound
// key is loaded from its hive file. Tarrow runs it from its main window and
// the uninstaller from its timer; each then finishes in its own way.
#pragma once

#include "platform/platform.h"
#include "shutdown/pair_writes.h"
#include "shutdown/progress.h"
#include "shutdown/saved_files.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tarrow::shutdown {

struct RestoreReport {
    bool markersCleared = false;
    SavedFilesStep copiedFromSystem;
    // Whole entries found in the program folder's informationS.dat (0 when
    // there is none); pairs beyond them are not written.
    std::size_t entriesFound = 0;
    std::vector<PairResult> writes; // in the writing order
    bool soundRestored = false;
};

// A saved value goes back as the exact text of its entry. A pair is left
// alone when the file holds no entry for it, or when its entry records that
// the key could not be opened ("NO", "NO "); an empty entry (the value was
// absent) removes the value. A failing step is skipped and the next one
// runs. The bar's maximum becomes 100; it ends hidden, at 0.
RestoreReport Restore(platform::Platform& platform, const std::string& programFolder,
                      Progress& progress);

} // namespace tarrow::shutdown
