// Putting the saved settings back: each saved value goes back to the place
// and value it was read from, the shutdown-sound key is loaded from its hive
// file, and when all of it is back the saved copy is used up. Tarrow runs it
// from its main window and the uninstaller from its timer.
//
// The per-user parts (place 0, the markers, the sound) go to the account
// that applied the change, in its own hive under HKEY_USERS, also when
// another account runs the restore (the uninstaller run as LocalSystem,
// say); they are never written into the running account's keys in its
// stead. An account that is gone (no ProfileList entry, or no NTUSER.DAT
// where it names one) took its values with it; a hive that is there but
// will not load leaves that part out of reach. The restore is complete when
// every pair is back (or was left alone, or its account is gone), the sound
// is back where one was saved, the owner of an earlier version's copy is
// recorded in AppliedBy, and the copies are deleted, Importreg.dat first and
// informationS.dat last; only then do the markers go to "0", and the running
// account's own stale ones with them. An incomplete restore
// leaves the markers and the copy as they are, to be tried again; a damaged
// copy is not used at all.
#pragma once

#include "platform/platform.h"
#include "shutdown/pair_writes.h"
#include "shutdown/progress.h"
#include "shutdown/saved_settings.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tarrow::shutdown {

enum class RestoreOutcome {
    Restored,         // everything is back, the copy used up
    NothingToRestore, // no copy in force: nothing was written
    Damaged,          // the saved copy cannot be used: nothing was written
    Incomplete,       // something could not be put back: the copy is kept
    // An earlier version's change whose account cannot be told: its own part
    // (place 0, the markers, the sound) is out of reach, so nothing is
    // written and the copy is kept.
    OwnerUnknown,
};

// Whether the restore is over: the markers are cleared and the copy gone.
bool Completed(RestoreOutcome outcome);

struct RestoreReport {
    RestoreOutcome outcome = RestoreOutcome::Incomplete;
    std::vector<PairResult> writes; // in the writing order; empty when nothing was written
    // What the saved copy holds for each pair, in the reading order, when
    // the restore wrote from it.
    std::optional<SavedValues> saved;
    bool soundSaved = false; // the copy holds the sound
    bool soundRestored = false;
    std::uint32_t soundError = 0; // the sound not restored: the Win32 error of the restore
    bool copiesDeleted = false;
    bool markersCleared = false;
};

// `programFolder` is where an earlier version may have left its copy. The
// bar's maximum becomes 100; it ends hidden, at 0.
RestoreReport Restore(platform::Platform& platform, const std::string& programFolder,
                      Progress& progress);

} // namespace tarrow::shutdown
