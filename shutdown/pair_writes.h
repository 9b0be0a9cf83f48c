// Writing the time-outs back, pair by pair, and what became of each pair.
// The apply and the restore both write in the writing order, group by group;
// each decides per pair whether to write, and reports why it did not.
#pragma once

#include "platform/platform.h"
#include "shutdown/timeout_places.h"

#include <string>
#include <string_view>

namespace tarrow::shutdown {

enum class PairOutcome {
    Written,          // the text was stored as a string value
    Deleted,          // the value was absent when saved, and is removed again
    Refused,          // the registry refused the write or the removal
    KeyMissingAtSave, // not written: the place's key could not be opened when saved
    NoSavedLine,      // not written: the saved file holds no line for the pair
    NothingSaved,     // not written: the values found could not be saved first
};

struct PairResult {
    const WritePair* pair = nullptr;
    std::string text; // what was, or would have been, written
    PairOutcome outcome = PairOutcome::Refused;
};

// What the save-time read and the saved file put in place of a value whose
// key could not be opened ("NO", and "NO " for one pair).
bool IsKeyMissingPlaceholder(std::string_view savedValue);

// Stores `text` at the pair as a string value, creating a missing key.
PairResult WriteText(platform::Platform& platform, const WritePair& pair, std::string text);
// Removes the pair's value; a missing key or value counts as done.
PairResult RemoveValue(platform::Platform& platform, const WritePair& pair);

} // namespace tarrow::shutdown
