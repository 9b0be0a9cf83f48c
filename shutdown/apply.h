// The speed-up: records the shutdown time-outs and the shutdown sound as
// they are, then writes one short time-out to all 26 pairs and, when asked,
// silences the sound. It runs to its end in one call and paces a progress
// bar of 180 steps: 80 while reading, 80 while writing, 20 at the end.
#pragma once

#include "platform/platform.h"
#include "shutdown/pair_writes.h"
#include "shutdown/progress.h"
#include "shutdown/saved_files.h"
#include "shutdown/timeout_places.h"

#include <array>
#include <string>
#include <vector>

namespace tarrow::shutdown {

struct ApplyChoice {
    bool powerful = false;     // "Powerful": "0"; anything else writes "10"
    bool silenceSound = false; // empty the shutdown sound
};

enum class SoundOutcome {
    LeftAlone, // not asked for, or nothing was saved
    Silenced,
    Refused,  // the registry refused the write
    NotSaved, // not silenced: the sound could not be saved first
};

struct ApplyReport {
    bool markersSet = false;
    // What the reads found, in the reading order; the saved file's lines.
    std::array<std::string, kTimeoutPairCount> found;
    bool soundSaved = false;  // Importreg.dat made in the program folder
    bool valuesSaved = false; // informationS.dat made in the program folder
    SavedFilesStep copiedToSystem;
    SavedFilesStep deletedFromProgramFolder;
    std::vector<PairResult> writes; // in the writing order
    SoundOutcome sound = SoundOutcome::LeftAlone;
    // Set only when nothing could be saved: the markers go back to "0".
    bool markersCleared = false;
};

// The text that `choice` writes to every pair.
std::string TimeoutTextFor(const ApplyChoice& choice);

// Sets both markers, reads the 26 values, saves them (informationS.dat) and
// the shutdown-sound key (Importreg.dat) in `programFolder`, moves both into
// the system directory, then writes the chosen text to every pair whose key
// existed when read, and empties the shutdown sound when asked and when it
// was saved. A failing step is skipped and the next one runs. When the
// values could not be saved, nothing is changed: no pair is written, the
// sound is left alone and the markers go back to "0". The bar ends hidden,
// at 0.
ApplyReport Apply(platform::Platform& platform, const std::string& programFolder,
                  const ApplyChoice& choice, Progress& progress);

} // namespace tarrow::shutdown
