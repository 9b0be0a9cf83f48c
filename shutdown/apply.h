// The speed-up: records the shutdown time-outs and the shutdown sound as
// they are, then writes one short time-out to the pairs it can put back
// exactly and, when asked, silences the sound. It runs to its end in one
// call and paces a progress bar of 180 steps: 80 while reading, 80 while
// writing, 20 at the end.
//
// Nothing is changed before the record is safe: the markers set and on disk,
// the applying account recorded machine-wide, informationS.dat (and, when
// the sound is to be silenced, Importreg.dat) in the system directory,
// flushed and read back. One change is in force per machine: while a saved
// copy of a change in force exists, another account's apply changes
// nothing, and the same account's apply keeps what the copy holds for every
// pair that holds Tarrow's own text, so a saved original is never replaced
// by Tarrow's own values. A damaged copy of a change that is over is set
// aside as informationS.dat.damaged. The running account's own part (place
// 0, the markers, the sound) is read and written in its own hive under
// HKEY_USERS.
#pragma once

#include "platform/platform.h"
#include "registry/modregistry.h"
#include "shutdown/pair_writes.h"
#include "shutdown/progress.h"
#include "shutdown/saved_settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarrow::shutdown {

struct ApplyChoice {
    bool powerful = false;     // "Powerful": "0"; anything else writes "10"
    bool silenceSound = false; // empty the shutdown sound
};

enum class ApplyOutcome {
    Applied,
    NothingSaved,     // the record could not be made safe: nothing was changed
    InForceElsewhere, // another account's change is in force: nothing was changed
    OwnerUnknown,     // an earlier version's change is in force, and whose it is cannot be
                      // told: nothing was changed
    SavedCopyDamaged, // the saved copy cannot be read, and its change may be in force:
                      // nothing was changed
    BeingUninstalled, // an uninstall is removing Tarrow: nothing was changed
};

enum class SoundOutcome {
    LeftAlone, // not asked for, or nothing was changed
    Silenced,
    Refused, // the registry refused the write
};

struct ApplyReport {
    ApplyOutcome outcome = ApplyOutcome::NothingSaved;
    // InForceElsewhere: the account whose change is in force, by name.
    std::string owner;
    // An earlier copy of this account was kept and brought up to date.
    bool merged = false;
    bool markersSet = false;
    // What each pair held before the apply, in the reading order; empty
    // when the apply stopped before reading.
    std::vector<modregistry::StoredValue> found;
    SavedValues saved;              // what informationS.dat records, in the reading order
    bool valuesSaved = false;       // informationS.dat lies in the system directory
    bool soundSaved = false;        // Importreg.dat lies beside it
    std::vector<PairResult> writes; // in the writing order
    SoundOutcome sound = SoundOutcome::LeftAlone;
    std::uint32_t soundError = 0; // Refused: the Win32 error of the write
    // Set when nothing could be saved: the markers went back to "0".
    bool markersCleared = false;
};

// The text that `choice` writes to every pair.
std::string TimeoutTextFor(const ApplyChoice& choice);

// The speed-up, as described above. `programFolder` is where an earlier
// version may have left its saved copy. A failing step after the record is
// safe is skipped and the next one runs. The bar's maximum becomes 180; it
// ends hidden, at 0. When nothing is changed the bar is not touched.
ApplyReport Apply(platform::Platform& platform, const std::string& programFolder,
                  const ApplyChoice& choice, Progress& progress);

} // namespace tarrow::shutdown
