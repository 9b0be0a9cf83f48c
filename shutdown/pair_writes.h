// Writing the time-outs, pair by pair, and what became of each pair. The
// apply and the restore both write in the writing order, group by group;
// each decides per pair whether to write, and reports why it did not.
#pragma once

#include "platform/platform.h"
#include "shutdown/account_keys.h"
#include "shutdown/timeout_places.h"

#include <cstdint>
#include <string>

namespace tarrow::shutdown {

enum class PairOutcome {
    Written,      // the text was stored as a string value
    Deleted,      // the value was absent when saved, and is removed again
    Refused,      // the registry refused the write or the removal
    LeftAlone,    // not written: it could not be put back exactly, so it is not touched
    NothingSaved, // not written: the values found could not be saved first
    NoAccount,    // not written: the place's account is gone, and its hive with it
    Unreachable,  // not written: the hive that holds it is out of reach, or whose it is
                  // cannot be told
};

// Whether the pair is as the saved copy wants it, or need not be.
bool PutBack(PairOutcome outcome);

struct PairResult {
    const WritePair* pair = nullptr;
    std::string text; // what was, or would have been, written
    PairOutcome outcome = PairOutcome::Refused;
    std::uint32_t error = 0; // Refused: the Win32 error of the call that failed
};

// Stores `text` at the pair as a string value, creating a missing key;
// place 0 in the given account's keys.
PairResult WriteText(platform::Platform& platform, const WritePair& pair, std::string text,
                     const AccountKeys& account);
// Removes the pair's value; a missing key or value counts as done.
PairResult RemoveValue(platform::Platform& platform, const WritePair& pair,
                       const AccountKeys& account);

} // namespace tarrow::shutdown
