// Whether a change of Tarrow's is in force on this machine, and whose it is.
// One change is in force per machine: its saved copy lies in the system
// directory, and the account that applied it is recorded machine-wide
// (HKLM\SOFTWARE\Tarrow, AppliedBy), for the copy holds that account's own
// values (place 0, the shutdown sound).
//
// A copy is a leftover only when nothing of its change can still be in
// force: no marker of its owner is set, and no pair within reach (the
// machine's places, and place 0 of the owner) holds Tarrow's own text where
// the copy holds something else, and, when the copy saved the sound, the
// owner's sound is not silenced as the apply silences it. The owner is the account AppliedBy names;
// for a copy from an earlier version, which recorded no AppliedBy, the one
// account whose "Change" marker is set. Anything that cannot be looked at
// counts as possibly in force.
#pragma once

#include "platform/platform.h"
#include "shutdown/account_keys.h"
#include "shutdown/saved_copy.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarrow::shutdown {

inline constexpr std::string_view kTarrowKey = "SOFTWARE\\Tarrow";
inline constexpr std::string_view kAppliedByValue = "AppliedBy";
// "1" from before an apply writes its first pair until the saved copy of
// its change is used up: what a deployment tool can look for. A cut can
// leave it beside a change that had not begun or had just ended; the next
// apply or restore, which the markers left with it call for, clears it.
inline constexpr std::string_view kChangeInForceValue = "ChangeInForce";

// The SID of the account the program runs as, or "" when it cannot be told.
std::string RunningAccount(platform::Platform& platform);
// "DOMAIN\name" of an account, or its SID when it has no name here;
// "(unknown)" for none.
std::string AccountName(platform::Platform& platform, const std::string& sid);

std::optional<std::string> ReadAppliedBy(platform::Platform& platform);
// Records the account and writes it to disk at once. The record outlives
// the change: with no saved copy it only says whose markers may be left.
bool RecordAppliedBy(platform::Platform& platform, const std::string& sid);

// Sets kChangeInForceValue, or removes it, and writes it to disk at once.
bool MarkChangeInForce(platform::Platform& platform);
bool ClearChangeInForce(platform::Platform& platform);

struct ChangeInForce {
    enum class Kind {
        Nothing,         // no saved copy
        Damaged,         // a saved copy that cannot be used, of a change that may be in force
        DamagedLeftover, // a saved copy that cannot be used, with no sign of a change in force
        InForce,         // a saved copy of the values from before the change
        Leftover,        // a copy of a change that was undone
    };
    Kind kind = Kind::Nothing;
    SavedCopy copy;
    // InForce: the SID of the account that applied it; "" when that cannot
    // be told (an earlier version's copy that no single account's marker
    // claims).
    std::string owner;
};

// What the saved copy tells, looking into the hives `hives` reaches.
//
// A damaged copy may be of a change in force while a marker of the running
// account or of the account AppliedBy names is set, or a pair within reach
// holds Tarrow's text (AppliedBy alone is no sign: it stays after a complete
// restore); otherwise it is a damaged leftover.
ChangeInForce FindChangeInForce(platform::Platform& platform, AccountHives& hives, SavedCopy copy);

bool SameAccount(std::string_view a, std::string_view b);

} // namespace tarrow::shutdown
